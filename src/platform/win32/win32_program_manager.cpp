// Program Manager commands over DDEML (see win32_program_manager.h).
#include "platform/win32/win32_program_manager.h"

#include <windows.h>

#include <ddeml.h>  // after <windows.h>, whose types it uses

#include <string>
#include <vector>

#include "platform/win32/system_text.h"

namespace quorril {
namespace {

// How long one command may take the shell.
constexpr DWORD kTimeoutMilliseconds = 10000;

// The instance's callback: a client only, it has nothing to answer.
HDDEDATA CALLBACK AnswerNothing(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// A DDE string handle of one instance, freed when it goes.
class StringHandle {
 public:
  StringHandle(DWORD instance, const char* text)
      : instance_(instance), handle_(DdeCreateStringHandleA(instance, text, CP_WINANSI)) {}
  ~StringHandle() {
    if (handle_) DdeFreeStringHandle(instance_, handle_);
  }
  StringHandle(const StringHandle&) = delete;
  StringHandle& operator=(const StringHandle&) = delete;
  HSZ Get() const { return handle_; }

 private:
  DWORD instance_;
  HSZ handle_;
};

// A conversation, ended when it goes.
class Conversation {
 public:
  explicit Conversation(HCONV conversation) : conversation_(conversation) {}
  ~Conversation() {
    if (conversation_) DdeDisconnect(conversation_);
  }
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;
  HCONV Get() const { return conversation_; }

 private:
  HCONV conversation_;
};

}  // namespace

bool Win32ProgramManager::Begin() {
  if (instance_ != 0) return true;
  DWORD instance = 0;
  if (DdeInitializeA(&instance, AnswerNothing, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
  instance_ = instance;
  return true;
}

void Win32ProgramManager::End() {
  if (instance_ == 0) return;
  DdeUninitialize(DWORD(instance_));
  instance_ = 0;
}

bool Win32ProgramManager::Execute(const std::string& command) {
  if (instance_ == 0 || win32::HasNul(command)) return false;
  DWORD instance = DWORD(instance_);
  StringHandle service(instance, "PROGMAN");
  if (!service.Get()) return false;
  Conversation conversation(DdeConnect(instance, service.Get(), service.Get(), nullptr));
  if (!conversation.Get()) return false;
  // The transaction takes the data as writable bytes: it gets a copy, with
  // the terminating zero.
  std::vector<BYTE> data(command.begin(), command.end());
  data.push_back(0);
  DWORD result = 0;
  HDDEDATA done = DdeClientTransaction(data.data(), DWORD(data.size()), conversation.Get(), nullptr, CF_TEXT,
                                       XTYP_EXECUTE, kTimeoutMilliseconds, &result);
  return done != nullptr;
}

bool Win32ProgramManager::Request(const std::string& item, std::string* text) {
  if (instance_ == 0 || win32::HasNul(item)) return false;
  DWORD instance = DWORD(instance_);
  StringHandle service(instance, "PROGMAN");
  StringHandle name(instance, item.c_str());
  if (!service.Get() || !name.Get()) return false;
  Conversation conversation(DdeConnect(instance, service.Get(), service.Get(), nullptr));
  if (!conversation.Get()) return false;
  HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation.Get(), name.Get(), CF_TEXT, XTYP_REQUEST,
                                       kTimeoutMilliseconds, nullptr);
  if (!data) return false;
  DWORD size = 0;
  const char* bytes = reinterpret_cast<const char*>(DdeAccessData(data, &size));
  if (bytes) {
    text->assign(bytes, size);
    text->resize(std::char_traits<char>::length(text->c_str()));
    DdeUnaccessData(data);
  }
  DdeFreeDataHandle(data);
  return bytes != nullptr;
}

}  // namespace quorril
