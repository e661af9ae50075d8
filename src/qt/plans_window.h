#pragma once
// "Planos": the plan of the network and the longitudinal profile side by side. The plan
// finds a manhole by name, tells what lies under the mouse and, on a click, the values of
// the reach or manhole clicked and the profile of the collector line through that reach.
// The profile shows a collector line chosen by name or the path between two manholes.

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "drawings/plan.h"
#include "drawings/profile.h"
#include "drawings/profile_lines.h"
#include "qt/drawing_print_dialog.h"
#include "qt/drawing_view.h"
#include "ui/plans_window.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QSplitter;
class QStackedWidget;

namespace nivex::qt {

class PlansForm : public QWidget {
    Q_OBJECT

  public:
    explicit PlansForm(QWidget* parent = nullptr);

    // What the window shows from now on.
    void load(ui::PlansRequest request);
    // The side in front: the larger share of the window and the keyboard's focus.
    void bringForward(ui::PlansSide side);

    // The search box: the manhole named in it centred and ringed; false (and the status
    // line says so) when the plan has none.
    bool findManhole();
    // A click on the plan at paper point p: the reach or manhole there.
    void pickAt(drawings::Point p);
    // The profile of collector line `index`, or of the path between the two fields.
    void showLine(int index);
    bool drawPath();

    DrawingView& planView() { return *planView_; }
    DrawingView& profileView() { return *profileView_; }
    const drawings::Plan& plan() const { return plan_; }
    const ui::PlansRequest& request() const { return request_; }
    const std::vector<drawings::ProfileLine>& lines() const { return lines_; }
    // The records of the profile shown; empty when none is.
    const std::vector<int>& profileRecords() const { return profileLine_.records; }
    const drawings::Profile& profile() const { return profile_; }
    int selectedRecord() const { return selected_; }
    QString tipAt(drawings::Point p) const;

    QLineEdit* searchField() const { return search_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QComboBox* lineChoice() const { return lineChoice_; }
    QPushButton* drawButton() const { return draw_; }
    QPushButton* planFitButton() const { return planFit_; }
    QPushButton* profileFitButton() const { return profileFit_; }
    QLabel* status() const { return status_; }
    QLabel* values() const { return values_; }
    QLabel* layoutNote() const { return layoutNote_; }
    QLabel* profileRefusal() const { return refusal_; }
    QPushButton* planPrintButton() const { return planPrint_; }
    QPushButton* profilePrintButton() const { return profilePrint_; }
    // The dialog "Imprimir..." of the plan or of the profiles, over what the window shows.
    std::unique_ptr<DrawingPrintDialog> printDialog(DrawingPrintDialog::Kind kind);

  private:
    QWidget* buildPlanSide();
    QWidget* buildProfileSide();
    void say(const QString& text, bool wrong);
    void showProfile(drawings::ProfileLine line);
    void markPlan();
    const drawings::PlanReach* reachNear(drawings::Point p) const;
    const drawings::PlanManhole* manholeNear(drawings::Point p) const;
    void showManhole(const drawings::PlanManhole& m);
    void print(DrawingPrintDialog::Kind kind);

    ui::PlansRequest request_;
    drawings::Plan plan_;
    std::vector<drawings::ProfileLine> lines_;
    drawings::ProfileLine profileLine_;
    drawings::Profile profile_;
    int selected_ = 0;  // record of the reach picked; 0 none
    drawings::Point found_{};
    bool foundShown_ = false;
    bool lineMarked_ = false;  // the profile's line marked on the plan: the user chose it

    QSplitter* splitter_ = nullptr;
    DrawingView* planView_ = nullptr;
    DrawingView* profileView_ = nullptr;
    QStackedWidget* profileStack_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLineEdit* from_ = nullptr;
    QLineEdit* to_ = nullptr;
    QComboBox* lineChoice_ = nullptr;
    QPushButton* draw_ = nullptr;
    QPushButton* planFit_ = nullptr;
    QPushButton* profileFit_ = nullptr;
    QPushButton* planPrint_ = nullptr;
    QPushButton* profilePrint_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* values_ = nullptr;
    QLabel* layoutNote_ = nullptr;
    QLabel* refusal_ = nullptr;
};

// The window of the desktop program: made on first use, then shown again with what the
// menu read each time.
class QtPlansWindow : public ui::PlansWindow {
  public:
    explicit QtPlansWindow(QWidget* owner) : owner_(owner) {}
    ~QtPlansWindow() override;
    void show(ui::PlansRequest request) override;
    bool isOpen() const override;
    bool editCoordinates(project::Project& open) override;
    PlansForm* window() const { return window_.data(); }

  private:
    QPointer<QWidget> owner_;
    QPointer<PlansForm> window_;
};

}  // namespace nivex::qt
