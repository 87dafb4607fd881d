#include "StatusCode.h"

namespace {

struct CodeName {
    StatusCode code;
    const wchar_t* name;
};

#define LUMORA_CODE(name) {name, L## #name}
const CodeName kNames[] = {
    LUMORA_CODE(DL_CODE_START),       LUMORA_CODE(DL_CODE_PROGRESS),    LUMORA_CODE(DL_CODE_SUCCESS),
    LUMORA_CODE(DL_CODE_FAIL),        LUMORA_CODE(DL_CODE_RETRY),       LUMORA_CODE(DL_CODE_MD5_NOTICE),
    LUMORA_CODE(IST_CODE_START),      LUMORA_CODE(IST_CODE_PROGRESS),   LUMORA_CODE(IST_CODE_SUCCESS),
    LUMORA_CODE(IST_CODE_FAIL),       LUMORA_CODE(PKG_INSTALL_PATH),    LUMORA_CODE(PKG_EXE_PATH),
    LUMORA_CODE(PKG_UNINSTALLER_PATH), LUMORA_CODE(PKG_UNINSTALL_ENTRY), LUMORA_CODE(PKG_START_URL),
    LUMORA_CODE(PKG_STARTUP_STYLE),   LUMORA_CODE(PKG_TOP_SHOW_DELAY),  LUMORA_CODE(PKG_CLOSE_DELAY),
    LUMORA_CODE(PKG_MESSAGE),         LUMORA_CODE(UNIST_CODE_PROGRESS), LUMORA_CODE(UNIST_CODE_SUCCESS),
    LUMORA_CODE(UNIST_CODE_FAIL),     LUMORA_CODE(UNIST_CODE_ERROR),
};
#undef LUMORA_CODE

}  // namespace

const wchar_t* StatusCodeName(int code)
{
    for (const CodeName& entry : kNames) {
        if (entry.code == code) return entry.name;
    }
    return L"";
}

bool IsSequenceFinal(int code)
{
    switch (code) {
    case DL_CODE_FAIL:
    case IST_CODE_SUCCESS:
    case IST_CODE_FAIL:
    case UNIST_CODE_FAIL:
    case UNIST_CODE_ERROR:
        return true;
    default:
        return false;
    }
}
