#pragma once
// The server's registration with the session bus: activation files that start the program
// with "-Embedding" for each class's name, and the interface descriptions, under the user's
// data folder. Unregistration removes exactly the files registration writes.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace qp {

inline constexpr const char* RegistryErrorText = "Error creating system registry entry";

class RegistrationError : public std::runtime_error {
public:
    RegistrationError() : std::runtime_error(RegistryErrorText) {}
};

struct RegistrationFile {
    std::filesystem::path path;
    std::string content;
};

// $XDG_DATA_HOME when it is set to an absolute path, else the passwd home's .local/share
// (the folder the session bus reads; $HOME may differ from it).
std::filesystem::path UserDataHome();

// The Exec line's program: quoted for the bus's two layers (desktop-entry escapes, then
// shell-like splitting) when it holds anything but plain characters. Throws
// RegistrationError for a path no Exec line can name (control characters).
std::string ExecCommand(const std::filesystem::path& program);

// Every file of the registration, in the order written.
std::vector<RegistrationFile> RegistrationFiles(const std::filesystem::path& program,
                                                const std::filesystem::path& dataHome);

// Writes every file (each replaced whole, so a reader never sees half of one); throws
// RegistrationError when one cannot be written.
void WriteRegistration(const std::filesystem::path& program, const std::filesystem::path& dataHome);
// Removes every file that registration writes; failures are ignored.
void RemoveRegistration(const std::filesystem::path& dataHome);

}  // namespace qp
