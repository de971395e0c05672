// qp_recordargs ARGS...: appends its arguments, one per line, to the file named by the
// environment variable QP_RECORD_FILE, after a line "argc N". A backslash in an argument is
// written as "\\" and a newline as "\n", so every vector reads back unambiguously.
//
// The file is replaced at once (the old contents and the new record are written to a file
// beside it, which is then renamed over it), so a reader never sees half a record: the file
// is absent, or it holds whole records. Runs are meant to follow one another.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* path = std::getenv("QP_RECORD_FILE");
    if (!path)
        return 2;
    std::string record;
    {
        std::ifstream old(path, std::ios::binary);
        std::stringstream ss;
        ss << old.rdbuf();
        record = ss.str();
    }
    record += "argc " + std::to_string(argc) + "\n";
    for (int i = 1; i < argc; ++i) {
        for (const char* c = argv[i]; *c; ++c) {
            if (*c == '\\')
                record += "\\\\";
            else if (*c == '\n')
                record += "\\n";
            else
                record += *c;
        }
        record += '\n';
    }
    const std::string temp = std::string(path) + ".part-" + std::to_string(getpid());
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return 3;
    const bool written = std::fwrite(record.data(), 1, record.size(), f) == record.size();
    if (std::fclose(f) != 0 || !written || std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        return 4;
    }
    return 0;
}
