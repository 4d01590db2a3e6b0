#include "ErrorTrap.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace Quorvane {

std::string formatErrorReport(const ErrorReport &report)
{
    std::string text = report.description;
    text += "\r\n";
    text += kLocationPrefix;
    text += report.object + '.' + report.procedure + ' ';
    text += "at line " + std::to_string(report.label);
    text += "\r\r";
    text += "Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

void RethrowingReporter::report(const ErrorReport &report)
{
    if (m_failure)
        return;
    m_failure = std::current_exception();
    if (!m_failure)
        m_failure = std::make_exception_ptr(std::runtime_error(report.description));
}

void RethrowingReporter::rethrowFailure() const
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}

TrappedProcedure::TrappedProcedure(ErrorReporter &reporter, std::string object, std::string procedure)
    : m_reporter(reporter)
    , m_object(std::move(object))
    , m_procedure(std::move(procedure))
{}

void TrappedProcedure::reportCurrentException(int label)
{
    std::string description;
    try {
        throw;
    } catch (const std::bad_alloc &) {
        description = "Out of memory";
    } catch (const std::exception &error) {
        description = error.what();
    } catch (...) {
        description = "Unknown error";
    }
    m_reporter.report({description, m_object, m_procedure, label});
}

} // namespace Quorvane
