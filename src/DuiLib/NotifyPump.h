#pragma once
// Routes notifications to member handlers through a table of (type, control
// name) entries.

#include "NotifyMessage.h"

#include <string>
#include <vector>

namespace DuiLib {

class CNotifyPump;
using NotifyHandler = void (CNotifyPump::*)(NotifyMessage&);

struct NotifyMapEntry {
    std::wstring type;
    std::wstring controlName;  // empty: any control
    NotifyHandler handler;
};
using NotifyMap = std::vector<NotifyMapEntry>;

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    virtual const NotifyMap& MessageMap() const;
    // Runs the first matching entry; false when none matched.
    bool LoopDispatch(NotifyMessage& msg);
};

}  // namespace DuiLib
