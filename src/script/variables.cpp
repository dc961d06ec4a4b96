// Substituting the script's variables into an item value.
#include "script/variables.h"

#include <utility>

#include "form/main_form.h"
#include "services/ascii_case.h"
#include "services/special_folders.h"
#include "services/texts.h"

namespace tarn {
namespace {

enum class Variable { kCommonFilesFolder, kProgramFiles, kSystemFolder, kInstallFolder, kAppName };

// Handled in this order: a token inside an inserted text is expanded only when its variable
// comes later.
constexpr std::pair<std::string_view, Variable> kVariables[] = {
    {text::kVariableCommonFilesFolder, Variable::kCommonFilesFolder},
    {text::kVariableProgramFiles, Variable::kProgramFiles},
    {text::kVariableSystemFolder, Variable::kSystemFolder},
    {text::kVariableInstallFolder, Variable::kInstallFolder},
    {text::kVariableAppName, Variable::kAppName},
};

}  // namespace

std::string MakeVariableToken(std::string_view name) {
  std::string token = "%";
  token.append(name).append("%");
  return token;
}

std::size_t FindToken(std::string_view value, std::string_view token, std::size_t from) {
  if (token.empty() || value.size() < token.size()) return std::string_view::npos;
  for (std::size_t at = from; at <= value.size() - token.size(); ++at) {
    std::size_t matched = 0;
    while (matched < token.size() && AsciiLower(value[at + matched]) == AsciiLower(token[matched]))
      ++matched;
    if (matched == token.size()) return at;
  }
  return std::string_view::npos;
}

std::string ReplaceToken(std::string_view value, std::string_view token, std::string_view text) {
  std::string result;
  std::size_t done = 0;
  for (std::size_t at = FindToken(value, token); at != std::string_view::npos;
       at = FindToken(value, token, done)) {
    result.append(value.substr(done, at - done)).append(text);
    done = at + token.size();
  }
  result.append(value.substr(done));
  return result;
}

// Each step that fails is passed over and the next one runs; the value then keeps what it held.
void MainForm::ReplaceVariables(std::string& value, bool& skip) noexcept {
  skip = false;
  ErrorState errors;
  // Not a structured binding: the lambdas below capture the name, which clang 14 refuses.
  for (const auto& entry : kVariables) {
    const std::string_view name = entry.first;
    const Variable variable = entry.second;
    std::string token;
    bool occurs = false;
    errors.Attempt([&] {
      token = MakeVariableToken(name);
      occurs = FindToken(value, token) != std::string::npos;
    });
    if (!occurs) continue;
    switch (variable) {
      case Variable::kCommonFilesFolder:
        errors.Attempt(
            [&] { value = ReplaceToken(value, token, GetCommonFilesFolder(shell_, *this)); });
        break;
      case Variable::kProgramFiles:
        errors.Attempt(
            [&] { value = ReplaceToken(value, token, GetProgramFilesFolder(shell_, *this)); });
        break;
      case Variable::kSystemFolder:
        errors.Attempt([&] { value = ReplaceToken(value, token, GetSystemFolder(shell_, *this)); });
        break;
      case Variable::kInstallFolder:
      case Variable::kAppName: {
        const bool install = variable == Variable::kInstallFolder;
        const std::string& text = install ? install_folder : app_name;
        if (text.empty()) {
          LogEntry(install ? text::kEmptyInstallFolder : text::kEmptyAppName);
          findings_.EmptyVariable(name);
          skip = true;
        } else {
          errors.Attempt([&] { value = ReplaceToken(value, token, text); });
        }
        break;
      }
    }
  }
}

}  // namespace tarn
