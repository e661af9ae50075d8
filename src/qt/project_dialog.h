#pragma once
// The project selection dialog. It only shows and forwards: the list, the rules of the
// three fields, the checks and the messages all belong to project::ProjectSelection.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "project/project_selection.h"
#include "shell/session.h"
#include "ui/project_dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace nivex::qt {

class TNivexForm1 : public QDialog {
    Q_OBJECT

  public:
    TNivexForm1(shell::Session& session, project::ProjectSelection& selection,
                QWidget* parent = nullptr);

    // Lists the project folder into the dialog; false when the program must end
    // (duplicated project codes).
    bool load();
    // Whether the dialog ended because the program must end without asking.
    bool mustEnd() const { return mustEnd_; }

    QLineEdit* dirName() const { return dirName_; }
    QListWidget* list() const { return list_; }
    QLineEdit* codeField() const { return edit1_; }
    QLineEdit* sectorField() const { return edit2_; }
    QLineEdit* countField() const { return edit3_; }
    QPushButton* exploreButton() const { return explore_; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* terminateButton() const { return terminate_; }

    project::SelectionFields fields() const;

    // Asks for the new base folder: the chosen folder, "" when cancelled. Tests replace it.
    std::function<std::string()> chooseFolder;

  public slots:
    void explore();
    void acceptPressed();
    void lineClicked(int row);
    // Esc, the window's close button and "Terminar".
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void build();
    void showList(project::ListOutcome outcome);
    void refreshLines();
    void setFields(const project::SelectionFields& f);
    void showCountState();
    void leaveSector();
    bool fieldKey(QLineEdit* edit, QKeyEvent* e);
    void moveFrom(QLineEdit* edit, bool forward);
    std::string askFolder();

    shell::Session& session_;
    project::ProjectSelection& selection_;
    QLineEdit* dirName_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QLineEdit* edit3_ = nullptr;
    QPushButton* explore_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* terminate_ = nullptr;
    bool mustEnd_ = false;
};

// The dialog of the desktop program's run: a new TNivexForm1 each time it is shown.
class QtProjectDialog : public ui::ProjectDialog {
  public:
    explicit QtProjectDialog(shell::Session& session, QWidget* parent = nullptr)
        : session_(session), parent_(parent) {}

    bool run(project::ProjectSelection& selection) override;

    // Called with the dialog before it is shown (tests drive it from here).
    std::function<void(TNivexForm1&)> onCreated;

  private:
    shell::Session& session_;
    QPointer<QWidget> parent_;
};

}  // namespace nivex::qt
