// The Graph tab used as a user does: pointing at a marker shows its report line, clicking it
// selects its row in the table, selecting rows in the table highlights their markers, the
// wheel zooms and a drag pans, and File > Save graph writes the picture.
#include <QTableView>

#include "graph/graph_picture.h"
#include "window/graph_view.h"
#include "window/results_model.h"
#include "tests/support/report_pieces.h"
#include "window_fixture.h"

using namespace tarnwick;

class GraphViewTest : public WindowTest {
  Q_OBJECT

  // A week of Sun to Saturn, two-body aspects: a few dozen rows, markers apart on screen.
  GraphView* OpenGraphOfAWeek() {
    Open();
    window_->resize(1400, 900);  // room for the graph beside the controls
    RunSettings s = OneDay("12/01/2007", "12/07/2007");
    s.chkP1Planets = s.chkP2Planets = BodyRange(0, 6);
    Load(s);
    Run("cmdAspectarian");
    Find<QAction>("mnuViewGraph")->trigger();
    auto* view = Find<GraphView>("graphView");
    if (!view->isVisible() || !view->HasRun()) qFatal("the Graph tab shows no run");
    return view;
  }

  // The pixel of a row's marker, as the canvas draws it now.
  static QPoint MarkerPixel(GraphView* view, size_t marker) {
    const GraphPoint p = MarkerPoint(view->data().markers[marker], view->CurrentFrame());
    return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
  }

  // A marker no other lies within reach of, so that the mouse can only mean it.
  static size_t LoneMarker(GraphView* view, size_t from) {
    const GraphData& data = view->data();
    const GraphFrame f = view->CurrentFrame();
    for (size_t i = from; i < data.markers.size(); ++i) {
      const GraphPoint p = MarkerPoint(data.markers[i], f);
      bool alone = true;
      for (size_t j = 0; j < data.markers.size() && alone; ++j) {
        const GraphPoint q = MarkerPoint(data.markers[j], f);
        alone = j == i || std::hypot(q.x - p.x, q.y - p.y) > 3 * kMarkerRadius;
      }
      if (alone) return i;
    }
    qFatal("no lone marker");
  }

 private slots:
  void hovering_and_clicking_a_marker_pick_its_row_and_rows_selected_are_highlighted() {
    GraphView* view = OpenGraphOfAWeek();
    QWidget* canvas = view->canvas();
    auto* table = Find<QTableView>("tblResults");
    const auto* model = qobject_cast<ResultsModel*>(table->model());
    QVERIFY(model);
    QCOMPARE(view->data().markers.size(), model->runRows().size());
    for (const size_t from : {size_t{0}, view->data().markers.size() / 2}) {
      const size_t marker = LoneMarker(view, from);
      const size_t row = view->data().markers[marker].row;
      const QPoint at = MarkerPixel(view, marker);
      QTest::mouseMove(canvas, at);
      QTRY_COMPARE(canvas->toolTip().toStdString(), view->data().titles[marker]);
      QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
      const QModelIndexList selected = table->selectionModel()->selectedRows();
      QCOMPARE(selected.size(), 1);
      QCOMPARE(&model->At(selected.front().row()), &model->runRows()[row]);
      // The row's report line is the title of its marker.
      QCOMPARE(model->ReportLines({selected.front().row()}), view->data().titles[marker] + "\r\n");
      // Away from every marker the tooltip goes.
      QTest::mouseMove(canvas, at + QPoint(0, 3 * static_cast<int>(kMarkerRadius) + 2));
      QTRY_VERIFY(canvas->toolTip().isEmpty());
    }

    // Rows selected in the table are highlighted.
    table->clearSelection();
    // Sorted by P2, the table's third row is some row of the run: its marker lights up in
    // vermillion (Jupiter's line has that colour too: count, before and after).
    table->sortByColumn(1, Qt::DescendingOrder);
    const size_t run_row = static_cast<size_t>(&model->At(2) - model->runRows().data());
    const QPoint at = MarkerPixel(view, run_row);
    const auto vermillion_around = [&] {
      const QImage picture = canvas->grab().toImage();
      int count = 0;
      const auto vermillion = [](const QColor& c) { return c.red() > 180 && c.green() < 130 && c.blue() < 60; };
      for (int dx = -7; dx <= 7; ++dx)
        for (int dy = -7; dy <= 7; ++dy) count += vermillion(picture.pixelColor(at + QPoint(dx, dy))) ? 1 : 0;
      return count;
    };
    const int before = vermillion_around();
    table->selectRow(2);
    QVERIFY2(vermillion_around() > before + 20, qPrintable(QString("%1 before").arg(before)));
    table->clearSelection();
    QCOMPARE(vermillion_around(), before);
  }

  void wheel_zooms_and_drag_pans_in_time() {
    GraphView* view = OpenGraphOfAWeek();
    QWidget* canvas = view->canvas();
    const double whole = view->shownEnd() - view->shownStart();
    const GraphFrame f = view->CurrentFrame();
    const QPointF middle(f.left + f.width / 2, f.top + f.height / 2);
    const double under_mouse = f.JdAtX(middle.x());
    QWheelEvent wheel(middle, canvas->mapToGlobal(middle), {}, QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &wheel);
    const double zoomed = view->shownEnd() - view->shownStart();
    // The moment under the mouse stays under it.
    QVERIFY(zoomed < whole / 1.5 && std::fabs(view->CurrentFrame().JdAtX(middle.x()) - under_mouse) < 1e-6);

    const auto drag_right = [&](int pixels) {
      QTest::mousePress(canvas, Qt::LeftButton, {}, middle.toPoint());
      QTest::mouseMove(canvas, middle.toPoint() + QPoint(pixels, 0));
      QTest::mouseRelease(canvas, Qt::LeftButton, {}, middle.toPoint() + QPoint(pixels, 0));
    };
    const double start = view->shownStart();
    drag_right(100);
    // Dragged right: earlier times come in, by the dragged share of the shown stretch.
    QVERIFY(view->shownStart() < start && std::fabs((start - view->shownStart()) - 100.0 / f.width * zoomed) < 1e-6);
    drag_right(400);  // never past the span's start
    QCOMPARE(view->shownStart(), view->data().start_jd);
  }

  // The picture's content is tested in tests/graph, a failed export in exports_test.cpp.
  void save_graph_writes_the_picture() {
    OpenGraphOfAWeek();
    Choose(world_->file("graph.svg"), "mnuFileSaveGraph");
    QVERIFY2(world_->chooser->requests.back().preset_name.endsWith("_noRA.svg"),
             qPrintable(world_->chooser->requests.back().preset_name));
    QVERIFY2(Status().contains("graph.svg"), qPrintable(Status()));
    QCOMPARE(Read(world_->file("graph.svg")).count("class=\"marker"), qsizetype(Find<GraphView>("graphView")->data().markers.size()));
  }
};

TARNWICK_WINDOW_TEST(GraphViewTest);
#include "graph_view_test.moc"
