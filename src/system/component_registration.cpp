// REGSERVER (see component_registration.h).
#include "system/component_registration.h"

#include "platform/process.h"
#include "platform/user_interface.h"

namespace quorril {

bool RegisterComponent(Process& process, UserInterface& ui, const ScriptState& script, const std::string& path) {
  if (process.RegisterComponent(path)) return true;
  ShowMessageBox(ui, path + script.Prompt(PromptId::kRegistrationFailure), path, kMbOk, false);
  return false;
}

}  // namespace quorril
