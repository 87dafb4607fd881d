// Controls released while code still works with them: a tree released from a
// click handler or from a notification handler, and children removed from
// their own click. Each must stay alive until that use is over, then go.

#include "DuiLib/ButtonUI.h"
#include "DuiLib/INotifyUI.h"
#include "DuiLib/PaintManager.h"
#include "DuiLib/VerticalLayoutUI.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// A button that notes whether it still exists when its own event handling ends.
class WatchedButton : public DuiLib::CButtonUI {
public:
    WatchedButton(bool& destroyed, bool& aliveAfterClick) : destroyed_(destroyed), aliveAfterClick_(aliveAfterClick)
    {
        SetName(L"watched");
    }
    ~WatchedButton() override { destroyed_ = true; }
    void DoEvent(DuiLib::UIEvent& event) override
    {
        DuiLib::CButtonUI::DoEvent(event);
        if (event.type == DuiLib::UIEventType::ButtonUp) aliveAfterClick_ = !destroyed_;
    }

private:
    bool& destroyed_;
    bool& aliveAfterClick_;
};

// Runs an action on every notification of one type.
class OnNotify : public DuiLib::INotifyUI {
public:
    OnNotify(std::wstring type, std::function<void(DuiLib::NotifyMessage&)> action)
        : type_(std::move(type)), action_(std::move(action))
    {
    }
    void Notify(DuiLib::NotifyMessage& msg) override
    {
        if (msg.type == type_) action_(msg);
    }

private:
    std::wstring type_;
    std::function<void(DuiLib::NotifyMessage&)> action_;
};

// A layout holding one watched button that fills it.
struct WatchedTree {
    WatchedTree()
    {
        auto root = std::make_unique<DuiLib::CVerticalLayoutUI>();
        layout = root.get();
        auto watched = std::make_unique<WatchedButton>(destroyed, aliveAfterClick);
        button = watched.get();
        layout->Add(std::move(watched));
        manager.AttachDialog(std::move(root));
        manager.LayoutRoot(100, 100);
    }

    void Click()
    {
        LRESULT result = 0;
        for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) {
            manager.MessageHandler(msg, 0, MAKELPARAM(50, 50), result);
        }
    }

    bool destroyed = false;
    bool aliveAfterClick = false;
    DuiLib::PaintManager manager;
    DuiLib::CVerticalLayoutUI* layout = nullptr;
    WatchedButton* button = nullptr;
};

TEST(TreeLifetime, TreeReleasedFromAClickHandlerOutlivesTheClick)
{
    WatchedTree tree;
    OnNotify releaser(L"click", [&](DuiLib::NotifyMessage&) { tree.manager.ReleaseRoot(); });
    tree.manager.AddNotifier(&releaser);
    tree.Click();
    EXPECT_TRUE(tree.aliveAfterClick) << "the button was deleted while it was still handling its click";
    EXPECT_TRUE(tree.destroyed) << "and it goes once the click is done";
    EXPECT_EQ(nullptr, tree.manager.GetRoot());
}

TEST(TreeLifetime, ChildRemovedFromItsOwnClickOutlivesTheClick)
{
    const struct {
        const char* how;
        std::function<void(WatchedTree&)> remove;
    } cases[] = {
        {"Remove", [](WatchedTree& tree) { tree.layout->Remove(tree.button); }},
        {"RemoveAll", [](WatchedTree& tree) { tree.layout->RemoveAll(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        WatchedTree tree;
        bool focusedAtRemoval = false;
        OnNotify remover(L"click", [&](DuiLib::NotifyMessage&) {
            focusedAtRemoval = tree.manager.GetFocus() == tree.button;
            c.remove(tree);
            EXPECT_EQ(nullptr, tree.manager.GetFocus()) << "the removed button keeps no focus";
            EXPECT_EQ(nullptr, tree.manager.GetHover());
        });
        tree.manager.AddNotifier(&remover);
        tree.Click();
        EXPECT_TRUE(focusedAtRemoval);
        EXPECT_TRUE(tree.aliveAfterClick) << "the button was deleted while it was still handling its click";
        EXPECT_TRUE(tree.destroyed);
        EXPECT_EQ(0, tree.layout->GetCount());
    }
}

TEST(TreeLifetime, TreeReleasedWhileANotificationIsDeliveredOutlivesTheDelivery)
{
    const struct {
        const char* how;
        std::function<void(WatchedTree&)> send;
    } cases[] = {
        {"queued", [](WatchedTree& tree) {
             tree.manager.SendNotify(tree.button, L"install", 1, 0, true);
             tree.manager.DeliverQueuedNotifications();
         }},
        {"sent at once", [](WatchedTree& tree) { tree.manager.SendNotify(tree.button, L"install", 1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        WatchedTree tree;
        OnNotify releaser(L"install", [&](DuiLib::NotifyMessage&) { tree.manager.ReleaseRoot(); });
        bool senderAliveForTheNext = false;
        std::wstring senderName;
        OnNotify next(L"install", [&](DuiLib::NotifyMessage& msg) {
            senderAliveForTheNext = !tree.destroyed;
            if (senderAliveForTheNext) senderName = msg.sender->GetName();
        });
        tree.manager.AddNotifier(&releaser);
        tree.manager.AddNotifier(&next);
        c.send(tree);
        EXPECT_TRUE(senderAliveForTheNext) << "the sender was deleted before every notifier had it";
        EXPECT_EQ(L"watched", senderName);
        EXPECT_TRUE(tree.destroyed);
        EXPECT_EQ(nullptr, tree.manager.GetRoot());
    }
}

}  // namespace
