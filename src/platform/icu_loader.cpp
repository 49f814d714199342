// ICU from Debian's shared libraries, loaded with dlopen on first use (POSIX side). The build reads the
// libraries' SONAMEs (cmake/icu.cmake); the functions' names carry the version suffix of the headers the
// build used, so a library of another ICU version is refused with a message rather than called.
#include "platform/icu_loader.h"

#include <dlfcn.h>

namespace {

#define ARBOLIN_STRING(x) #x
// ICU's headers define each function's name as a macro for its versioned one (urename.h): the name as
// the library exports it is the macro expanded, then made a string.
#define ARBOLIN_ICU_NAME(function) ARBOLIN_STRING(function)

IcuApi functions;
std::string loadError;
bool charactersTried = false, collationTried = false;

template <typename Function>
bool Find(void* library, const char* name, Function& function, const char* soname) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (function == nullptr) loadError = std::string("ICU's ") + soname + " lacks " + name;
    return function != nullptr;
}

// Opens `soname` from the loader's search path, then from the folder the build found ICU in. nullptr,
// with the reason in loadError, when neither can be loaded.
void* Open(const char* soname) {
    void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (library != nullptr) return library;
    const char* why = dlerror();
    std::string first = why != nullptr ? why : "not found";
    library = dlopen((std::string(ARBOLIN_ICU_DIR "/") + soname).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) loadError = std::string("cannot load ICU (") + soname + "): " + first;
    return library;
}

// Keeps `api` when every function was found in `library`, else lets the library go.
bool Keep(void* library, bool found, const IcuApi& api) {
    if (!found) {
        dlclose(library);
        return false;
    }
    functions = api;
    return true;
}

bool LoadCharacters() {
    const char* soname = ARBOLIN_ICU_UC_SONAME;
    void* library = Open(soname);
    if (library == nullptr) return false;
    IcuApi api;
    bool found = Find(library, ARBOLIN_ICU_NAME(u_errorName), api.errorName, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(u_charType), api.charType, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(u_getIntPropertyValue), api.intProperty, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(u_toupper), api.toUpper, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(u_strFromUTF8WithSub), api.fromUtf8, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucnv_open), api.openConverter, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucnv_toUChars), api.toUChars, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucnv_close), api.closeConverter, soname);
    return Keep(library, found, api);
}

bool LoadCollation() {
    const char* soname = ARBOLIN_ICU_I18N_SONAME;
    void* library = Open(soname);
    if (library == nullptr) return false;
    IcuApi api = functions;
    bool found = Find(library, ARBOLIN_ICU_NAME(ucol_open), api.openCollator, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucol_setAttribute), api.setAttribute, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucol_getSortKey), api.sortKey, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucol_getLocaleByType), api.localeByType, soname) &&
                 Find(library, ARBOLIN_ICU_NAME(ucol_close), api.closeCollator, soname);
    return Keep(library, found, api);
}

}  // namespace

const IcuApi* LoadIcu(IcuPart part) {
    if (!charactersTried) {
        charactersTried = true;
        LoadCharacters();
    }
    if (functions.errorName == nullptr) return nullptr;
    if (part == IcuPart::kCollation && !collationTried) {
        collationTried = true;
        LoadCollation();
    }
    if (part == IcuPart::kCollation && functions.openCollator == nullptr) return nullptr;
    return &functions;
}

const std::string& IcuLoadError() { return loadError; }
