// REGSERVER: the self-registration of one installed component (an
// in-process server or control), whose DllRegisterServer entry the process
// port calls.
//
// A component that does not register (it cannot be loaded, has no
// DllRegisterServer, or the entry reports a failure) is reported with the
// message "<path> has not been successfully registered." (the
// registration-failure prompt text after the path), with the path as its
// caption, an OK button only, no icon and no owner window. The run journals
// "RegServer: " lines for the components that registered.
#pragma once

#include <string>

#include "model/script_state.h"

namespace quorril {

class Process;
class UserInterface;

// Registers the component at a full path; true when it registered, false
// after the failure message.
bool RegisterComponent(Process& process, UserInterface& ui, const ScriptState& script, const std::string& path);

}  // namespace quorril
