#include "ResultSinks.h"

#include "CommandLine.h"
#include "SpillFolder.h"
#include "files/ListFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvane {

namespace {

[[noreturn]] void throwWriteFailure(ListFileError::Stage stage, const std::string &path, int error)
{
    throwFileError(stage, "Cannot write", path, error);
}

class DescriptorOutput final : public ResultOutput, private ResultSink
{
public:
    DescriptorOutput(int descriptor, std::string name, bool ownDescriptor, LineEnd lineEnd)
        : m_descriptor(descriptor)
        , m_name(std::move(name))
        , m_ownDescriptor(ownDescriptor)
        , m_lineEnd(lineEnd)
    {}
    ~DescriptorOutput() override
    {
        if (m_ownDescriptor)
            ::close(m_descriptor);
    }
    ResultSink &sink() override { return *this; }
    void commit() override {}

private:
    void write(const ItemList &batch) override { writeListToDescriptor(batch, m_descriptor, m_name, m_lineEnd); }

    int m_descriptor;
    std::string m_name;
    bool m_ownDescriptor;
    LineEnd m_lineEnd;
};

// A new file beside the destination, renamed over it at commit() once synced; removed when
// dropped before, or by the spill folder's signal handler.
class ReplacingOutput final : public ResultOutput, private ResultSink
{
public:
    ReplacingOutput(std::string path, SpillFolder &folder, LineEnd lineEnd)
        : m_path(std::move(path))
        , m_folder(folder)
        , m_lineEnd(lineEnd)
    {
        std::string pattern = m_path + ".XXXXXX";
        m_descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (m_descriptor < 0)
            throwWriteFailure(ListFileError::Stage::Open, m_path, errno);
        m_temporary = pattern;
        m_folder.guardOutsideFile(m_temporary);
        struct stat old {};
        if (::stat(m_path.c_str(), &old) == 0)
            ::fchmod(m_descriptor, old.st_mode & 07777);
        else
            ::fchmod(m_descriptor, 0666 & ~currentUmask());
    }
    ~ReplacingOutput() override
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        if (!m_committed)
            ::unlink(m_temporary.c_str());
        m_folder.forgetOutsideFile();
    }
    ResultSink &sink() override { return *this; }
    void commit() override
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        if (::fsync(descriptor) != 0 || ::close(descriptor) != 0)
            throwWriteFailure(ListFileError::Stage::Write, m_path, errno);
        if (::rename(m_temporary.c_str(), m_path.c_str()) != 0)
            throwWriteFailure(ListFileError::Stage::Write, m_path, errno);
        m_committed = true;
    }

private:
    static mode_t currentUmask()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }
    void write(const ItemList &batch) override { writeListToDescriptor(batch, m_descriptor, m_path, m_lineEnd); }

    std::string m_path;
    SpillFolder &m_folder;
    LineEnd m_lineEnd;
    std::string m_temporary;
    int m_descriptor = -1;
    bool m_committed = false;
};

bool isPipeOrDevice(const std::string &path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

} // namespace

std::unique_ptr<ResultOutput> openResultOutput(const std::optional<std::string> &output, const Streams &streams,
                                               SpillFolder &folder, LineEnd lineEnd)
{
    if (!output || *output == kStandardStream)
        return std::make_unique<DescriptorOutput>(streams.output, "standard output", false, lineEnd);
    if (isPipeOrDevice(*output)) {
        const int descriptor = ::open(output->c_str(), O_WRONLY | O_CLOEXEC);
        if (descriptor < 0)
            throwWriteFailure(ListFileError::Stage::Open, *output, errno);
        return std::make_unique<DescriptorOutput>(descriptor, *output, true, lineEnd);
    }
    return std::make_unique<ReplacingOutput>(*output, folder, lineEnd);
}

} // namespace Quorvane
