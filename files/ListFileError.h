#pragma once

#include <stdexcept>
#include <string>

namespace Quorvane {

// A list file that could not be read or written. what() names the file and the reason.
class ListFileError : public std::runtime_error
{
public:
    enum class Stage { Open, Read, Write };
    ListFileError(Stage stage, const std::string &message)
        : std::runtime_error(message)
        , m_stage(stage)
    {}
    Stage stage() const { return m_stage; }

private:
    Stage m_stage;
};

// "<what> "<readable name>": <reason>", the one shape of every list file message.
std::string describeFileFailure(const char *what, const std::string &name, const std::string &reason);

// Throws ListFileError with the system's own words for error (strerror).
[[noreturn]] void throwFileError(ListFileError::Stage stage, const char *what, const std::string &name, int error);

} // namespace Quorvane
