// Writes the bash, zsh and fish completions of quorvane-cli into the folder it is given.
#include "Completions.h"

#include <fstream>
#include <iostream>

namespace {

bool writeFile(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        std::cerr << "write-completions: cannot write " << path << '\n';
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "Usage: write-completions FOLDER\n";
        return 2;
    }
    using namespace Quorvane::Completion;
    const std::string folder = argv[1];
    // Each is written even when one before it failed, so that every failure is told.
    bool written = writeFile(folder + "/quorvane-cli", bashCompletion());
    written = writeFile(folder + "/_quorvane-cli", zshCompletion()) && written;
    written = writeFile(folder + "/quorvane-cli.fish", fishCompletion()) && written;
    return written ? 0 : 1;
}
