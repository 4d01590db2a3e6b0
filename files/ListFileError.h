#pragma once

#include <stdexcept>
#include <string>

namespace Quorvane {

// "<what> "<readable name>": <reason>", the one shape of every list file message.
std::string describeFileFailure(const char *what, const std::string &name, const std::string &reason);

// A list file that could not be read or written. what() names the file and the reason; the name
// and the reason are kept apart too, for a program that words its messages its own way.
class ListFileError : public std::runtime_error
{
public:
    enum class Stage { Open, Read, Write };
    ListFileError(Stage stage, const std::string &message)
        : std::runtime_error(message)
        , m_stage(stage)
    {}
    ListFileError(Stage stage, const char *what, const std::string &fileName, const std::string &reason)
        : std::runtime_error(describeFileFailure(what, fileName, reason))
        , m_stage(stage)
        , m_fileName(fileName)
        , m_reason(reason)
    {}
    Stage stage() const { return m_stage; }
    // The name as the program was given it; empty when the message names no file.
    const std::string &fileName() const { return m_fileName; }
    const std::string &reason() const { return m_reason; }

private:
    Stage m_stage;
    std::string m_fileName;
    std::string m_reason;
};

// Throws ListFileError with the system's own words for error (strerror).
[[noreturn]] void throwFileError(ListFileError::Stage stage, const char *what, const std::string &name, int error);

} // namespace Quorvane
