// UpdateSignTool.h: the maker's command-line tool qiva-update-sign: makes the signing key pair,
// signs an installer for a version and writes the update manifest. The program's main only
// hands its arguments and streams to RunUpdateSignTool.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qiva::update {

// Runs one command (the arguments after the program name) and returns the exit status:
// 0 done, 1 failed (message on `err`), 2 usage error (usage on `err`).
//   keygen SECRET_FILE                       new key pair: the secret key into SECRET_FILE (new
//                                            file, owner-only), the public key on `out`
//   public SECRET_FILE                       the public key of a secret key file, on `out`
//   sign SECRET_FILE VERSION INSTALLER       the base64 signature, on `out`
//   manifest SECRET_FILE VERSION URL INSTALLER   the whole manifest XML, on `out`
//   --help, --version                        the help or version text, on `out`
int RunUpdateSignTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qiva::update
