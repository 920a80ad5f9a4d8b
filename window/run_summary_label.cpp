#include "window/run_summary_label.h"

#include <QStringList>

namespace tarnwick {

RunSummaryLabel::RunSummaryLabel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("lblRunSummary"));
  setWordWrap(true);
  setTextFormat(Qt::PlainText);  // body names and typed texts are never markup
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  hide();
}

void RunSummaryLabel::Show(const std::vector<SummaryField>& fields) {
  // One wrapped paragraph, so that the results keep their room; the tool tip has a line each.
  QStringList parts;
  for (const SummaryField& f : fields) parts << QString::fromStdString(f.label + ": " + f.value);
  setText(parts.join(QStringLiteral("  \u00B7  ")));
  setToolTip(QString::fromStdString(RunSummaryText(fields)).trimmed());
  setVisible(!fields.empty());
}

}  // namespace tarnwick
