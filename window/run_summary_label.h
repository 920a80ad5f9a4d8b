// The run summary above the results: what the last finished run searched, as one wrapped
// paragraph (its tool tip has a line per field).
#pragma once

#include <QLabel>
#include <vector>

#include "report/run_summary.h"

namespace tarnwick {

// Object name "lblRunSummary". Hidden until a run has finished.
class RunSummaryLabel final : public QLabel {
  Q_OBJECT
 public:
  explicit RunSummaryLabel(QWidget* parent = nullptr);
  void Show(const std::vector<SummaryField>& fields);
};

}  // namespace tarnwick
