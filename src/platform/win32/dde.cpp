// The DDE management library of the real machine, as a client only.
#include "platform/win32/win32_machine.h"

#include <ddeml.h>

namespace platform::win32 {
namespace {

// The client answers every transaction the library asks it about with 0.
HDDEDATA CALLBACK NoAnswer(UINT /*type*/, UINT /*format*/, HCONV /*conversation*/, HSZ /*hsz1*/,
                           HSZ /*hsz2*/, HDDEDATA /*data*/, ULONG_PTR /*data1*/, ULONG_PTR /*data2*/) {
  return nullptr;
}

HSZ Hsz(DdeStringHandle h) { return reinterpret_cast<HSZ>(h); }
HCONV Hconv(DdeConversation c) { return reinterpret_cast<HCONV>(c); }

}  // namespace

std::uint32_t Win32Dde::Initialize(DdeInstance* instance) {
  DWORD id = 0;
  UINT result = ::DdeInitializeA(&id, NoAnswer, APPCMD_CLIENTONLY, 0);
  *instance = result == DMLERR_NO_ERROR ? id : 0;
  return result;
}

void Win32Dde::Uninitialize(DdeInstance instance) { ::DdeUninitialize(instance); }

DdeStringHandle Win32Dde::CreateStringHandle(DdeInstance instance, const std::string& text) {
  return reinterpret_cast<DdeStringHandle>(::DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI));
}

void Win32Dde::FreeStringHandle(DdeInstance instance, DdeStringHandle handle) {
  ::DdeFreeStringHandle(instance, Hsz(handle));
}

DdeConversation Win32Dde::Connect(DdeInstance instance, DdeStringHandle service, DdeStringHandle topic) {
  CONVCONTEXT context;
  ZeroMemory(&context, sizeof context);
  context.cb = sizeof context;
  return reinterpret_cast<DdeConversation>(::DdeConnect(instance, Hsz(service), Hsz(topic), &context));
}

void Win32Dde::Disconnect(DdeConversation conversation) { ::DdeDisconnect(Hconv(conversation)); }

bool Win32Dde::Execute(DdeInstance instance, DdeConversation conversation, const std::string& command,
                       std::uint32_t timeoutMs) {
  // Without a conversation the transaction fails at once and sets no
  // error; the data handle is then not made at all.
  if (conversation == 0) return false;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(command.c_str());
  HDDEDATA data = ::DdeCreateDataHandle(instance, const_cast<BYTE*>(bytes),
                                        static_cast<DWORD>(command.size() + 1), 0, nullptr, CF_TEXT, 0);
  if (data == nullptr) return false;
  // The library owns the handle once it is passed (data length -1).
  HDDEDATA result = ::DdeClientTransaction(reinterpret_cast<LPBYTE>(data), 0xFFFFFFFF, Hconv(conversation),
                                           nullptr, 0, XTYP_EXECUTE, timeoutMs, nullptr);
  return result != nullptr;
}

bool Win32Dde::Request(DdeInstance /*instance*/, DdeConversation conversation, DdeStringHandle item,
                       std::uint32_t timeoutMs, std::string* data) {
  data->clear();
  if (conversation == 0) return false;
  HDDEDATA reply = ::DdeClientTransaction(nullptr, 0, Hconv(conversation), Hsz(item), CF_TEXT, XTYP_REQUEST,
                                          timeoutMs, nullptr);
  if (reply == nullptr) return false;
  DWORD size = 0;
  const BYTE* bytes = ::DdeAccessData(reply, &size);
  if (bytes != nullptr) data->assign(reinterpret_cast<const char*>(bytes), size);
  ::DdeUnaccessData(reply);
  ::DdeFreeDataHandle(reply);
  return bytes != nullptr;
}

std::uint32_t Win32Dde::GetLastError(DdeInstance instance) { return ::DdeGetLastError(instance); }

}  // namespace platform::win32
