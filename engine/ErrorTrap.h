#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace Quorvane {

// The program's name and build stamp as every error location shows it.
inline constexpr std::string_view kLocationPrefix = "in Quorvane2/19/2015.";
// Where users send a screenshot of an error report.
inline constexpr std::string_view kSupportAddress = "support@example.com";

struct ErrorReport
{
    std::string description; // what went wrong, as the failing call described it
    std::string object;      // "Form1" or "List"
    std::string procedure;   // "PushButton10_Click", "RemoveDupesAll", ...
    int label = 0;           // the step that failed
};

// The report's full text: description, location tag with the step label, and the plea for a screenshot.
std::string formatErrorReport(const ErrorReport &report);

// Shows a report to the user and returns when they have dismissed it.
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const ErrorReport &report) = 0;
};

// For callers without a window: keeps the first failure an operation reports, as the exception
// that caused it (so running out of memory stays std::bad_alloc), and throws it again once the
// operation has returned.
class RethrowingReporter final : public ErrorReporter
{
public:
    void report(const ErrorReport &report) override;
    void rethrowFailure() const;

private:
    std::exception_ptr m_failure;
};

// Runs a procedure as labelled steps: a step that throws is reported under its label and
// the procedure carries on with its next step.
class TrappedProcedure
{
public:
    TrappedProcedure(ErrorReporter &reporter, std::string object, std::string procedure);

    // Runs one step; returns false when it threw (and was reported).
    template<typename Step>
    bool step(int label, Step &&body)
    {
        try {
            body();
            return true;
        } catch (...) {
            reportCurrentException(label);
            return false;
        }
    }

    // Runs a test step; a test that threw counts as answered with failedAnswer.
    template<typename Test>
    bool test(int label, Test &&condition, bool failedAnswer)
    {
        bool answer = failedAnswer;
        step(label, [&] { answer = condition(); });
        return answer;
    }

private:
    void reportCurrentException(int label);

    ErrorReporter &m_reporter;
    std::string m_object;
    std::string m_procedure;
};

} // namespace Quorvane
