#!/bin/sh
# Runs quorvane-cli for help2man. The help's "Files:" paragraph tells the lists' format, not the
# files the program uses, so it gets a heading help2man does not take for the FILES section.
"$QUORVANE_CLI" "$@" | sed 's/^Files:$/Line ends and encodings:/'
