#include "ContainerUI.h"

#include "AttributeValues.h"
#include "GdiHandles.h"
#include "LayoutRule.h"
#include "PaintManager.h"

namespace DuiLib {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    // The children go with their container, whoever deletes it.
    for (CControlUI* item : items_) delete item;
}

std::wstring CContainerUI::GetClass() const { return L"Container"; }

CControlUI* CContainerUI::GetInterface(const std::wstring& name)
{
    return name == L"Container" ? this : CControlUI::GetInterface(name);
}

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) { return AddAt(std::move(control), GetCount()); }

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index)
{
    if (!control) return false;
    if (index < 0 || index > GetCount()) index = GetCount();
    CControlUI* added = control.release();
    items_.insert(items_.begin() + index, added);
    added->SetInternVisible(IsVisible());
    if (manager_) added->SetManager(manager_, this, manager_->IsInitialised());
    NeedUpdate();
    return true;
}

void CContainerUI::Discard(CControlUI* control)
{
    std::unique_ptr<CControlUI> owned(control);
    if (manager_) manager_->Dispose(std::move(owned));
}

bool CContainerUI::Remove(CControlUI* control)
{
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (*it != control) continue;
        items_.erase(it);
        Discard(control);
        NeedUpdate();
        return true;
    }
    return false;
}

void CContainerUI::RemoveAll()
{
    std::vector<CControlUI*> items;
    items.swap(items_);
    for (CControlUI* item : items) Discard(item);
    NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[index];
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (items_[i] == control) return i;
    }
    return -1;
}

void CContainerUI::SetInset(const RECT& inset)
{
    inset_ = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    childPadding_ = padding;
    NeedUpdate();
}

void CContainerUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
    for (CControlUI* item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible)
{
    CControlUI::SetInternVisible(visible);
    for (CControlUI* item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    const std::wstring key = AttributeKey(name);
    if (key == L"inset") {
        SetInset(ParseRect(value));
    } else if (key == L"childpadding") {
        SetChildPadding(ParseInt(value));
    } else if (key == L"childalign") {
        childAlign_ = value == L"center" ? 1 : (value == L"right" ? 2 : 0);
    } else if (key == L"childvalign") {
        childVAlign_ = value == L"vcenter" ? 1 : (value == L"bottom" ? 2 : 0);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

void CContainerUI::SetManager(PaintManager* manager, CControlUI* parent, bool init)
{
    CControlUI::SetManager(manager, parent, init);
    for (CControlUI* item : items_) item->SetManager(manager, this, init);
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& match)
{
    if (match(this)) return this;
    for (CControlUI* item : items_) {
        if (CControlUI* found = item->FindControl(match)) return found;
    }
    return nullptr;
}

CControlUI* CContainerUI::FindControlAt(POINT pt)
{
    if (!IsVisible() || !::PtInRect(&rcItem_, pt)) return nullptr;
    // Later children paint over earlier ones, so they are hit first.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        if (CControlUI* found = (*it)->FindControlAt(pt)) return found;
    }
    return mouseEnabled_ ? this : nullptr;
}

RECT CContainerUI::InnerBox() const
{
    return RECT{rcItem_.left + inset_.left, rcItem_.top + inset_.top, rcItem_.right - inset_.right,
                rcItem_.bottom - inset_.bottom};
}

void CContainerUI::PlaceFilling(CControlUI* child, const RECT& box)
{
    const RECT& pad = child->GetPadding();
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    SIZE estimate = child->EstimateSize(SIZE{width, height});
    int cx = estimate.cx != 0 ? estimate.cx : width - pad.left - pad.right;
    int cy = estimate.cy != 0 ? estimate.cy : height - pad.top - pad.bottom;
    cx = LayoutRule::Clamp(cx, child->GetMinWidth(), child->GetMaxWidth());
    cy = LayoutRule::Clamp(cy, child->GetMinHeight(), child->GetMaxHeight());
    LONG left = box.left + pad.left;
    LONG top = box.top + pad.top;
    child->SetPos(RECT{left, top, left + cx, top + cy});
}

void CContainerUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    RECT box = InnerBox();
    for (CControlUI* item : items_) {
        if (item->IsVisible()) PlaceFilling(item, box);
    }
}

void CContainerUI::ArrangeAlongAxis(bool vertical)
{
    RECT box = InnerBox();
    int mainLength = vertical ? box.bottom - box.top : box.right - box.left;
    int crossLength = vertical ? box.right - box.left : box.bottom - box.top;
    std::vector<CControlUI*> shown;
    std::vector<LayoutRule::AxisItem> axis;
    for (CControlUI* item : items_) {
        if (!item->IsVisible()) continue;
        SIZE estimate = item->EstimateSize(SIZE{box.right - box.left, box.bottom - box.top});
        const RECT& pad = item->GetPadding();
        LayoutRule::AxisItem entry;
        entry.estimate = vertical ? estimate.cy : estimate.cx;
        entry.minSize = vertical ? item->GetMinHeight() : item->GetMinWidth();
        entry.maxSize = vertical ? item->GetMaxHeight() : item->GetMaxWidth();
        entry.paddingBefore = vertical ? pad.top : pad.left;
        entry.paddingAfter = vertical ? pad.bottom : pad.right;
        shown.push_back(item);
        axis.push_back(entry);
    }
    std::vector<int> sizes = LayoutRule::DistributeMainAxis(axis, mainLength, childPadding_);
    int position = vertical ? box.top : box.left;
    for (size_t i = 0; i < shown.size(); ++i) {
        CControlUI* item = shown[i];
        const RECT& pad = item->GetPadding();
        int before = vertical ? pad.left : pad.top;
        int after = vertical ? pad.right : pad.bottom;
        int cross = vertical ? LayoutRule::CrossSize(item->GetFixedWidth(), crossLength, before, after,
                                                     item->GetMinWidth(), item->GetMaxWidth())
                             : LayoutRule::CrossSize(item->GetFixedHeight(), crossLength, before, after,
                                                     item->GetMinHeight(), item->GetMaxHeight());
        int offset = LayoutRule::CrossOffset(cross, crossLength, before, after, vertical ? childAlign_ : childVAlign_);
        position += axis[i].paddingBefore;
        if (vertical) {
            item->SetPos(RECT{box.left + offset, position, box.left + offset + cross, position + sizes[i]});
        } else {
            item->SetPos(RECT{position, box.top + offset, position + sizes[i], box.top + offset + cross});
        }
        position += sizes[i] + axis[i].paddingAfter + childPadding_;
    }
}

void CContainerUI::DoPaint(HDC dc, const RECT& rcPaint)
{
    RECT overlap;
    if (!::IntersectRect(&overlap, &rcPaint, &rcItem_)) return;
    ScopedDcState state(dc);
    ::IntersectClipRect(dc, overlap.left, overlap.top, overlap.right, overlap.bottom);
    CControlUI::DoPaint(dc, overlap);
    for (CControlUI* item : items_) {
        if (!item->IsVisible()) continue;
        RECT itemOverlap;
        if (!::IntersectRect(&itemOverlap, &overlap, &item->GetPos())) continue;
        ScopedDcState itemState(dc);
        ::IntersectClipRect(dc, itemOverlap.left, itemOverlap.top, itemOverlap.right, itemOverlap.bottom);
        item->DoPaint(dc, itemOverlap);
    }
}

}  // namespace DuiLib
