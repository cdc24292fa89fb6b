// A stand-in for an Office application, as far as its add-ins can tell: it
// finds an add-in under its Addins key, creates it by its ProgID, connects it
// through IDTExtensibility2 with an application object of its own, and shuts
// it down again. It reports what it found on standard output, one
// "name=value" line each, and leaves judging the values to its caller.
//
//   addin_host load  HKCU|HKLM <host> <ProgID> <application IID>
//   addin_host probe HKCU|HKLM <host> <ProgID> <CLSID>
//
// load also tells whether the other hive has the add-in's Addins key. The
// host reads the registry as Office of its own bitness does (a 32-bit build
// sees the 32-bit view), and tells for the keys that Windows keeps apart
// per view (the class, and everything under HKLM\Software) whether the
// other view has them too. Built for x86-64 and for i386.
// Exit status: 0 when the add-in was created and asked for IDTExtensibility2
// (its methods' results are printed, not judged) or, for probe, when it could
// look; 1 when that failed (the failing step is named on standard error); 2
// for bad arguments.
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/scoped.h"

// Office's own add-in interface, in its vtable order. Implemented only in
// the add-in: outside an anonymous namespace, so the compiler cannot assume
// that no class in this program overrides it.
struct IDTExtensibility2 : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode,
                                                 IDispatch* addInInst, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};
namespace {

using quillfern::platform::win32::ScopedKey;

constexpr IID kIID_IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
constexpr int ext_cm_Startup = 1;
constexpr int ext_dm_HostShutdown = 0;

// An object that answers to IDispatch and to one more interface, and counts
// its references, so the host can see whether the add-in asked for that
// interface and whether it let go of everything it took.
class HostObject final : public IDispatch {
 public:
  explicit HostObject(const IID& extra) : extra_(extra) {}
  ULONG References() const { return refs_; }
  int ExtraRequests() const { return extraRequests_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, extra_)) ++extraRequests_;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, extra_))
      return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  // The host owns the object on its stack; the count only tells.
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

 private:
  IID extra_;
  ULONG refs_ = 1;
  int extraRequests_ = 0;
};

std::wstring Wide(const char* text) {
  std::wstring wide;
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n > 0) {
    wide.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<std::size_t>(n - 1));
  }
  return wide;
}

std::string GuidText(const GUID& guid) {
  wchar_t wide[39] = {};
  StringFromGUID2(guid, wide, 39);
  std::string text;
  for (const wchar_t* p = wide; *p; ++p) text += static_cast<char>(*p);
  return text;
}

bool Fail(const char* step, HRESULT hr) {
  std::fprintf(stderr, "addin_host: %s failed (0x%08lX)\n", step, static_cast<unsigned long>(hr));
  return false;
}

// The registry view of the other bitness: where an add-in built for it
// would have been registered.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

bool KeyExists(HKEY root, const std::string& name, REGSAM view = 0) {
  ScopedKey key;
  return RegOpenKeyExA(root, name.c_str(), 0, KEY_READ | view, key.receive()) == ERROR_SUCCESS;
}
const char* Presence(bool present) { return present ? "present" : "absent"; }

// Prints name=value for each value of the key that Office reads, or
// office-key=absent.
void PrintOfficeKey(HKEY root, const std::string& name) {
  ScopedKey key;
  if (RegOpenKeyExA(root, name.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) {
    std::printf("office-key=absent\n");
    return;
  }
  std::printf("office-key=present\n");
  for (const char* value : {"FriendlyName", "Description", "LoadBehavior"}) {
    DWORD type = 0;
    BYTE data[1024] = {};
    DWORD size = sizeof data - 1;
    if (RegQueryValueExA(key.get(), value, nullptr, &type, data, &size) != ERROR_SUCCESS) {
      std::printf("%s=<missing>\n", value);
    } else if (type == REG_SZ) {
      std::printf("%s=%s\n", value, reinterpret_cast<const char*>(data));
    } else if (type == REG_DWORD && size == 4) {
      DWORD number = 0;
      std::memcpy(&number, data, 4);
      std::printf("%s=dword:%lu\n", value, static_cast<unsigned long>(number));
    } else {
      std::printf("%s=<type %lu>\n", value, static_cast<unsigned long>(type));
    }
  }
}

std::string DefaultValue(HKEY root, const std::string& name) {
  char data[MAX_PATH * 2] = {};
  LONG size = sizeof data - 1;
  if (RegQueryValueA(root, name.c_str(), data, &size) != ERROR_SUCCESS) return "<missing>";
  return data;
}

// A result that Windows' calling convention leaves in RAX (EAX); CallPreset
// sets it before calling the method, so a method that returns without
// setting its result (an empty safecall body built by Free Pascal 3.2.2 for
// Win64 does so) is told apart from one that succeeded or failed.
constexpr HRESULT kPresetResult = static_cast<HRESULT>(0xBAADF00DL);
extern "C" HRESULT CallPreset(void* self, SAFEARRAY** custom, void* method);
#if defined(__x86_64__)
asm(".text\n"
    ".globl CallPreset\n"
    "CallPreset:\n"
    "  movl $0xBAADF00D, %eax\n"
    "  jmp *%r8\n");
#elif defined(__i386__)
// Called as cdecl; calls the method as stdcall (arguments pushed right to
// left, the callee removes them). The frame pointer puts the stack back even
// when the method removed too little or too much.
asm(".text\n"
    ".globl _CallPreset\n"
    "_CallPreset:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl 12(%ebp)\n"
    "  pushl 8(%ebp)\n"
    "  movl $0xBAADF00D, %eax\n"
    "  call *16(%ebp)\n"
    "  movl %ebp, %esp\n"
    "  popl %ebp\n"
    "  ret\n");
#else
#error "addin_host calls the add-in for x86-64 and i386 only"
#endif

// The vtable slots of the methods that take only the custom array.
enum Slot { kOnAddInsUpdate = 9, kOnStartupComplete = 10, kOnBeginShutdown = 11 };

HRESULT CallCustomOnly(IDTExtensibility2* extensibility, Slot slot, SAFEARRAY** custom) {
  void** vtable = *reinterpret_cast<void***>(extensibility);
  return CallPreset(extensibility, custom, vtable[slot]);
}

// Connects the add-in and shuts it down as Office does at start and exit.
// Prints each result as S_OK, unset (see CallPreset) or its number; false
// only when the add-in could not be asked for the interface.
bool RunAddIn(IUnknown* addin, const IID& applicationIid) {
  IDTExtensibility2* extensibility = nullptr;
  HRESULT hr = addin->QueryInterface(kIID_IDTExtensibility2, reinterpret_cast<void**>(&extensibility));
  if (FAILED(hr)) return Fail("QueryInterface(IDTExtensibility2)", hr);

  HostObject application(applicationIid);
  HostObject addInInst(IID_IDispatch);
  SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  const auto report = [](const char* name, HRESULT result, bool preset) {
    if (result == S_OK)
      std::printf("%s=S_OK\n", name);
    else if (preset && result == kPresetResult)
      std::printf("%s=unset\n", name);
    else
      std::printf("%s=0x%08lX\n", name, static_cast<unsigned long>(result));
  };

  report("OnConnection", extensibility->OnConnection(&application, ext_cm_Startup, &addInInst, &custom),
         false);
  std::printf("application-interface-requests=%d\n", application.ExtraRequests());
  std::printf("application-references-while-connected=%lu\n", application.References() - 1);
  report("OnAddInsUpdate", CallCustomOnly(extensibility, kOnAddInsUpdate, &custom), true);
  report("OnStartupComplete", CallCustomOnly(extensibility, kOnStartupComplete, &custom), true);
  report("OnBeginShutdown", CallCustomOnly(extensibility, kOnBeginShutdown, &custom), true);
  report("OnDisconnection", extensibility->OnDisconnection(ext_dm_HostShutdown, &custom), false);
  std::printf("application-references-after-disconnection=%lu\n", application.References() - 1);
  extensibility->Release();
  std::printf("add-in-instance-references-at-end=%lu\n", addInInst.References() - 1);
  if (custom) SafeArrayDestroy(custom);
  return true;
}

bool Load(HKEY root, HKEY otherRoot, const std::string& officeKey, const std::string& progId,
          const IID& applicationIid) {
  PrintOfficeKey(root, officeKey);
  std::printf("office-key-other-view=%s\n", Presence(KeyExists(root, officeKey, kOtherView)));
  std::printf("other-hive-office-key=%s\n", Presence(KeyExists(otherRoot, officeKey)));
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(Wide(progId.c_str()).c_str(), &clsid);
  if (FAILED(hr)) return Fail("CLSIDFromProgID", hr);
  const std::string classKey = "CLSID\\" + GuidText(clsid);
  std::printf("clsid=%s\n", GuidText(clsid).c_str());
  std::printf("clsid-other-view=%s\n", Presence(KeyExists(HKEY_CLASSES_ROOT, classKey, kOtherView)));
  std::printf("server=%s\n", DefaultValue(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32").c_str());

  IUnknown* addin = nullptr;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&addin));
  if (FAILED(hr)) return Fail("CoCreateInstance", hr);
  const bool ok = RunAddIn(addin, applicationIid);
  addin->Release();
  return ok;
}

// Looks in both views: nothing of the add-in may stay in either.
void Probe(HKEY root, const std::string& officeKey, const std::string& progId, const std::string& clsid) {
  for (const auto& [suffix, view] : {std::pair{"", REGSAM{0}}, std::pair{"-other-view", kOtherView}}) {
    std::printf("office-key%s=%s\n", suffix, Presence(KeyExists(root, officeKey, view)));
    std::printf("progid%s=%s\n", suffix, Presence(KeyExists(HKEY_CLASSES_ROOT, progId, view)));
    std::printf("clsid%s=%s\n", suffix, Presence(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, view)));
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: addin_host load HKCU|HKLM <host> <ProgID> <application IID>\n"
               "       addin_host probe HKCU|HKLM <host> <ProgID> <CLSID>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Unbuffered, so a crash inside the add-in still leaves every line before it.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc != 6) return Usage();
  const std::string mode = argv[1], hive = argv[2], host = argv[3], progId = argv[4], last = argv[5];
  if (hive != "HKCU" && hive != "HKLM") return Usage();
  const HKEY root = hive == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const HKEY otherRoot = hive == "HKCU" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const std::string officeKey = "Software\\Microsoft\\Office\\" + host + "\\Addins\\" + progId;

  if (mode == "probe") {
    Probe(root, officeKey, progId, last);
    std::fflush(stdout);
    return 0;
  }
  if (mode != "load") return Usage();
  IID applicationIid{};
  if (FAILED(IIDFromString(Wide(last.c_str()).c_str(), &applicationIid))) return Usage();

  // Office's main thread is a single-threaded apartment.
  HRESULT hr = CoInitialize(nullptr);
  if (FAILED(hr)) return Fail("CoInitialize", hr) ? 0 : 1;
  const bool ok = Load(root, otherRoot, officeKey, progId, applicationIid);
  CoUninitialize();
  std::fflush(stdout);
  return ok ? 0 : 1;
}
