#include "ui/common/control_registry.h"

#include "ui/common/string_table.h"

namespace ui {

void ControlRegistry::Register(int id, QWidget* control, Tooltip tooltip) {
  if (control == nullptr)
    return;
  control->setObjectName(QStringLiteral("c%1").arg(id));
  if (tooltip == Tooltip::FromStringTable && HasString(id))
    control->setToolTip(LoadString(id));
  m_controls[id] = control;
}

QWidget* ControlRegistry::Get(int id) const {
  const auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second.data();
}

int ControlRegistry::IdOf(const QWidget* control) const {
  for (const auto& [id, widget] : m_controls) {
    if (widget.data() == control)
      return id;
  }
  return 0;
}

}  // namespace ui
