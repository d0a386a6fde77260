// Controls of a window by id, as dialog code reaches them. Registering a control names it
// "c<id>" (so tests find it) and, when asked, gives it the tooltip of the string-table entry
// with the same id.
#pragma once

#include <QPointer>
#include <QWidget>
#include <map>

namespace ui {

class ControlRegistry {
 public:
  enum class Tooltip { FromStringTable, None };

  void Register(int id, QWidget* control, Tooltip tooltip = Tooltip::FromStringTable);
  // The control of an id; null when none is registered or it is gone.
  QWidget* Get(int id) const;
  template <typename T>
  T* Get(int id) const {
    return qobject_cast<T*>(Get(id));
  }
  // The id of a registered control; 0 when it is not registered.
  int IdOf(const QWidget* control) const;
  void Clear() { m_controls.clear(); }

 private:
  std::map<int, QPointer<QWidget>> m_controls;
};

}  // namespace ui
