#pragma once
// The general configuration dialog. It only shows and forwards: every click effect,
// the change checks and the closing checks belong to project::Configuration.

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "project/configuration.h"
#include "shell/session.h"
#include "ui/configuration_dialog.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace nivex::qt {

class TGenForm1 : public QDialog {
    Q_OBJECT

  public:
    TGenForm1(shell::Session& session, project::Configuration& configuration,
              QWidget* parent = nullptr);

    QLineEdit* textField(project::Text t) const { return texts_[static_cast<size_t>(t)]; }
    QGroupBox* radioGroup(project::Group g) const { return groups_[static_cast<size_t>(g)]; }
    QRadioButton* radioItem(project::Group g, int item) const;
    QCheckBox* checkBox(project::Box b) const { return boxes_[static_cast<size_t>(b)]; }
    QLineEdit* swmmFolderField() const { return edit7_; }
    QPushButton* exploreButton() const { return explore_; }
    QPushButton* acceptButton() const { return accept_; }

    // Its whole content without scrolling, and its size on a screen of that size.
    QSize sizeHint() const override;
    void fitTo(const QSize& screen);
    QScrollArea* scrollArea() const { return scroll_; }

    // Asks for a file in the SWMM folder: the chosen name, "" when cancelled. Tests
    // replace it.
    std::function<std::string()> chooseSwmmFile;

  public slots:
    void explore();
    void acceptPressed();
    // Esc and the window's close button: the closing checks decide.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void build();
    QGroupBox* buildGroup(project::Group g, const char* name);
    QCheckBox* buildBox(project::Box b, const char* name);
    QLineEdit* buildText(project::Text t, const char* name);
    void refresh();
    void afterClick();
    void textEdited(project::Text t);
    void moveFrom(QLineEdit* edit, bool forward);
    std::string askSwmmFile();

    shell::Session& session_;
    project::Configuration& configuration_;
    std::array<QLineEdit*, project::kTexts> texts_{};
    std::array<QGroupBox*, project::kGroups> groups_{};
    std::array<QButtonGroup*, project::kGroups> buttons_{};
    std::array<QCheckBox*, project::kBoxes> boxes_{};
    QLineEdit* edit7_ = nullptr;
    QPushButton* explore_ = nullptr;
    QPushButton* accept_ = nullptr;
    QScrollArea* scroll_ = nullptr;
};

// The dialog of the desktop program's run: a new TGenForm1 each time it is shown.
class QtConfigurationDialog : public ui::ConfigurationDialog {
  public:
    explicit QtConfigurationDialog(shell::Session& session, QWidget* parent = nullptr)
        : session_(session), parent_(parent) {}

    void run(project::Configuration& configuration) override;

    // Called with the dialog before it is shown (tests drive it from here).
    std::function<void(TGenForm1&)> onCreated;

  private:
    shell::Session& session_;
    QPointer<QWidget> parent_;
};

}  // namespace nivex::qt
