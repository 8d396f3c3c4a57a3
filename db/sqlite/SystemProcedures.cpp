// SystemProcedures.cpp: sp_getapplock and sp_releaseapplock. Arguments are bound to the
// parameters by name or position; a missing required one (message 201) or an unknown name
// (8145) keeps the procedure from running, a value it cannot take gives -999.
#include "db/sqlite/SystemProcedures.h"

#include <cerrno>
#include <cstdlib>

#include "db/sqlite/AppLocks.h"
#include "db/sqlite/TSqlLexer.h"

namespace qiva::db {
namespace {

using tsql::SqlVariable;
using tsql::ToUpper;

struct Signature {
  const char* name;  // as SQL Server names it in its messages
  const char* upperName;
  std::vector<const char*> parameters;  // in order; as SQL Server spells them
  std::size_t required;                 // the first `required` parameters have no default
};

const Signature kGetAppLock{
    "sp_getapplock",
    "SP_GETAPPLOCK",
    {"@Resource", "@LockMode", "@LockOwner", "@LockTimeout", "@DbPrincipal"},
    2};
const Signature kReleaseAppLock{
    "sp_releaseapplock", "SP_RELEASEAPPLOCK", {"@Resource", "@LockOwner", "@DbPrincipal"}, 1};

const Signature* SignatureOf(std::string_view name) {
  const std::string upper = ToUpper(name);
  if (upper == kGetAppLock.upperName) return &kGetAppLock;
  if (upper == kReleaseAppLock.upperName) return &kReleaseAppLock;
  return nullptr;
}

// The arguments by parameter; nothing where the parameter takes its default.
using Bound = std::vector<std::optional<SqlVariable>>;

bool Bind(const Signature& sig, const std::vector<ProcedureArgument>& arguments, Bound& bound,
          ProcedureOutcome& outcome) {
  bound.assign(sig.parameters.size(), std::nullopt);
  std::size_t position = 0;
  for (const ProcedureArgument& arg : arguments) {
    std::size_t index = position++;
    if (!arg.name.empty()) {
      index = sig.parameters.size();
      for (std::size_t i = 0; i < sig.parameters.size(); ++i)
        if (ToUpper(sig.parameters[i]) == arg.name) index = i;
      if (index == sig.parameters.size()) {
        outcome.errorNumber = 8145;
        outcome.errorMessage = arg.name + " is not a parameter for procedure " + sig.name + ".";
        return false;
      }
    } else if (index >= sig.parameters.size()) {
      outcome.errorNumber = 8144;
      outcome.errorMessage =
          std::string("Procedure or function ") + sig.name + " has too many arguments specified.";
      return false;
    }
    bound[index] = arg.value;
  }
  for (std::size_t i = 0; i < sig.required; ++i) {
    if (!bound[i]) {
      outcome.errorNumber = 201;
      outcome.errorMessage = std::string("Procedure or function '") + sig.name +
                             "' expects parameter '" + sig.parameters[i] +
                             "', which was not supplied.";
      return false;
    }
  }
  return true;
}

// The text of a value as a string parameter takes it; nothing for NULL.
std::optional<std::string> TextOf(const std::optional<SqlVariable>& value) {
  if (!value || std::holds_alternative<std::monostate>(*value)) return std::nullopt;
  if (const auto* s = std::get_if<std::string>(&*value)) return *s;
  if (const auto* i = std::get_if<long long>(&*value)) return std::to_string(*i);
  return std::to_string(std::get<double>(*value));
}

// An int parameter's value; false when the value is no whole number.
bool IntOf(const SqlVariable& value, long long& out) {
  if (const auto* i = std::get_if<long long>(&value)) return out = *i, true;
  if (const auto* d = std::get_if<double>(&value)) return out = static_cast<long long>(*d), true;
  if (const auto* s = std::get_if<std::string>(&value)) {
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(s->c_str(), &end, 10);
    return end != s->c_str() && *end == '\0' && errno == 0;
  }
  return false;
}

// @LockOwner: only 'Session' (any case) can be held here; the engine has no user transactions,
// and a transaction owner outside a transaction is a parameter error on SQL Server too.
bool SessionOwner(const std::optional<SqlVariable>& value) {
  const std::optional<std::string> owner = TextOf(value);
  return owner && ToUpper(*owner) == "SESSION";
}

ProcedureOutcome GetAppLock(const Bound& bound, const ProcedureSession& session) {
  ProcedureOutcome outcome;
  outcome.status = kAppLockParameterError;
  const std::optional<std::string> resource = TextOf(bound[0]);
  const std::optional<std::string> modeName = TextOf(bound[1]);
  const std::optional<AppLockMode> mode = modeName ? AppLockModeNamed(*modeName) : std::nullopt;
  if (!resource || resource->empty() || !mode || !SessionOwner(bound[2])) return outcome;
  std::chrono::milliseconds timeout = session.lockTimeout;
  if (bound[3] && !std::holds_alternative<std::monostate>(*bound[3])) {
    long long ms = 0;
    if (!IntOf(*bound[3], ms) || ms < -1 || ms > INT32_MAX) return outcome;
    timeout = std::chrono::milliseconds(ms);
  }
  outcome.status = AppLocks::Instance().Acquire(session.database, *resource, *mode, session.session,
                                                timeout, session.beforeWait);
  return outcome;
}

ProcedureOutcome ReleaseAppLock(const Bound& bound, const ProcedureSession& session) {
  ProcedureOutcome outcome;
  outcome.status = kAppLockParameterError;
  const std::optional<std::string> resource = TextOf(bound[0]);
  if (!resource || resource->empty() || !SessionOwner(bound[1])) return outcome;
  if (AppLocks::Instance().Release(session.database, *resource, session.session)) {
    outcome.status = 0;
    return outcome;
  }
  outcome.errorNumber = 1223;
  outcome.errorMessage =
      "Cannot release the application lock (Database Principal: 'public', "
      "Resource: '" +
      *resource + "') because it is not currently held.";
  return outcome;
}

}  // namespace

bool IsSystemProcedure(std::string_view name) { return SignatureOf(name) != nullptr; }

ProcedureOutcome RunSystemProcedure(std::string_view name,
                                    const std::vector<ProcedureArgument>& arguments,
                                    const ProcedureSession& session) {
  ProcedureOutcome outcome;
  const Signature* sig = SignatureOf(name);
  if (sig == nullptr) return outcome;
  Bound bound;
  if (!Bind(*sig, arguments, bound, outcome)) return outcome;
  return sig == &kGetAppLock ? GetAppLock(bound, session) : ReleaseAppLock(bound, session);
}

}  // namespace qiva::db
