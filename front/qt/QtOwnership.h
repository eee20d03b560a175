#pragma once
// Qt frees a widget's children with it. Child widgets are therefore made
// here, through std::make_unique, and handed to their parent at once; the
// returned pointer is a non-owning view. Top-level windows stay in
// std::unique_ptr of their owner.
#include <QWidget>
#include <memory>
#include <utility>

namespace tal::front::qt {

template <class TWidget, class TParent, class... TArgs>
TWidget* AddChild(TParent* parent, TArgs&&... args) {
    auto child = std::make_unique<TWidget>(std::forward<TArgs>(args)...);
    child->setParent(parent);
    return child.release();  // owned by parent from here on
}

// A new layout installed on widget, which owns it.
template <class TLayout>
TLayout* SetNewLayout(QWidget* widget) {
    auto layout = std::make_unique<TLayout>();
    TLayout* view = layout.get();
    widget->setLayout(layout.release());
    return view;
}

// A new layout nested in parent, which owns it.
template <class TLayout, class TParentLayout>
TLayout* AddNewLayout(TParentLayout* parent) {
    auto layout = std::make_unique<TLayout>();
    TLayout* view = layout.get();
    parent->addLayout(layout.release());
    return view;
}

}  // namespace tal::front::qt
