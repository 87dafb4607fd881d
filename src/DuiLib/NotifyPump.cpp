#include "NotifyPump.h"

#include "ControlUI.h"

namespace DuiLib {

const NotifyMap& CNotifyPump::MessageMap() const
{
    static const NotifyMap empty;
    return empty;
}

bool CNotifyPump::LoopDispatch(NotifyMessage& msg)
{
    for (const NotifyMapEntry& entry : MessageMap()) {
        if (entry.type != msg.type) continue;
        if (!entry.controlName.empty() && (!msg.sender || msg.sender->GetName() != entry.controlName)) continue;
        (this->*entry.handler)(msg);
        return true;
    }
    return false;
}

}  // namespace DuiLib
