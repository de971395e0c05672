#include "Registration.h"

#include "BusNames.h"
#include "Introspection.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace qp {

namespace fs = std::filesystem;

fs::path UserDataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return fs::path(xdg);
    const passwd* pw = getpwuid(getuid());
    const char* home = (pw && pw->pw_dir) ? pw->pw_dir : std::getenv("HOME");
    return fs::path(home ? home : "/") / ".local" / "share";
}

std::string ExecCommand(const fs::path& program)
{
    const std::string s = program.string();
    bool plain = !s.empty();
    for (char c : s)
        plain = plain && (std::isalnum(static_cast<unsigned char>(c)) || std::string_view("/._-+,=@").find(c) != std::string_view::npos);
    if (plain)
        return s;
    // The bus reads the line in two layers: first as a desktop-entry value, where a backslash
    // starts an escape (only \\, \s, \n, \t, \r are valid: any other makes the bus ignore the
    // whole file), then split like a shell command line. So: double quotes around the path,
    // a backslash before ", \, $ and ` inside them, then every backslash doubled. A control
    // character has no form that survives both layers: refused.
    std::string quoted = "\"";
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw RegistrationError();
        if (std::string_view("\"\\$`").find(c) != std::string_view::npos)
            quoted += "\\\\";  // a shell backslash, doubled for the desktop entry
        quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return quoted + "\"";
}

std::vector<RegistrationFile> RegistrationFiles(const fs::path& program, const fs::path& dataHome)
{
    std::vector<RegistrationFile> files;
    const fs::path services = dataHome / "dbus-1" / "services";
    const fs::path interfaces = dataHome / "dbus-1" / "interfaces";
    for (const CoClassInfo* cls : QuorviaClasses) {
        const std::string name(cls->progId);
        files.push_back({services / (name + ".service"),
                         "[D-BUS Service]\nName=" + name + "\nExec=" + ExecCommand(program) + " -Embedding\n"});
    }
    for (const CoClassInfo* cls : QuorviaClasses)
        files.push_back({interfaces / (BusInterfaceName(*cls->defaultInterface) + ".xml"),
                         InterfaceDocument(InterfaceXml(*cls->defaultInterface))});
    files.push_back({interfaces / (std::string(ClassFactoryInterface) + ".xml"), InterfaceDocument(ClassFactoryXml())});
    return files;
}

namespace {
void writeWhole(const RegistrationFile& file)
{
    std::error_code ec;
    fs::create_directories(file.path.parent_path(), ec);
    const fs::path temp = file.path.string() + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << file.content;
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            throw RegistrationError();
        }
    }
    fs::rename(temp, file.path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw RegistrationError();
    }
}
}  // namespace

void WriteRegistration(const fs::path& program, const fs::path& dataHome)
{
    for (const RegistrationFile& file : RegistrationFiles(program, dataHome))
        writeWhole(file);
}

void RemoveRegistration(const fs::path& dataHome)
{
    for (const RegistrationFile& file : RegistrationFiles("/", dataHome)) {
        std::error_code ec;
        fs::remove(file.path, ec);
    }
}

}  // namespace qp
