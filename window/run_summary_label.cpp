#include "window/run_summary_label.h"

namespace tarnwick {

RunSummaryLabel::RunSummaryLabel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("lblRunSummary"));
  setWordWrap(true);
  setTextFormat(Qt::PlainText);  // body names and typed texts are never markup
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  hide();
}

void RunSummaryLabel::Show(const std::vector<SummaryField>& fields) {
  setText(QString::fromStdString(RunSummaryText(fields)).trimmed());
  setVisible(!fields.empty());
}

}  // namespace tarnwick
