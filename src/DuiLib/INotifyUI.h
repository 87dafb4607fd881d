#pragma once

#include "NotifyMessage.h"

namespace DuiLib {

// Receives every notification of a window.
class INotifyUI {
public:
    virtual void Notify(NotifyMessage& msg) = 0;

protected:
    ~INotifyUI() = default;
};

}  // namespace DuiLib
