#pragma once

// Reading and writing list files: one include for the commands and the batch tool.
#include "files/ListFileError.h"
#include "files/ListFileReader.h"
#include "files/ListFileWriter.h"
