#pragma once
// The listing viewer "Visor de listados". It draws and forwards: what is shown, the
// search and the names all come from listings::ViewerModel.

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "listings/viewer_model.h"
#include "shell/session.h"
#include "ui/listing_viewer.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTextDocument;
class QTextEdit;

namespace nivex::qt {

// The listing face at a size; a fixed-pitch face where the listing font is missing.
QFont listingFace(int points);

// Fills the document with the shown lines, one block each, the emphasised parts red.
void fillListingDocument(QTextDocument& document, const listings::ViewerModel& model);

class TViewForm : public QDialog {
    Q_OBJECT

  public:
    TViewForm(shell::Session& session, const listings::ViewerModel& model,
              QWidget* parent = nullptr);

    QLabel* searchLabel() const { return label_; }
    QLineEdit* searchBox() const { return search_; }
    QTextEdit* text() const { return text_; }
    QPushButton* searchButton() const { return find_; }
    QPushButton* sizeButton() const { return size_; }
    QPushButton* printButton() const { return print_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* closeButton() const { return close_; }

    // The save dialog: the chosen path ("" when cancelled) and whether the PDF filter was
    // picked. Tests replace it.
    struct SaveChoice {
        std::string path;
        bool pdf = false;
    };
    std::function<SaveChoice(const QString& folder, const QString& name)> chooseSaveFile;

  public slots:
    void searchPressed();
    void sizePressed();
    void printPressed();
    void savePressed();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void build();
    void setTextSize(int points);
    bool ctrlKey(QObject* watched, QKeyEvent* e);
    SaveChoice askSaveFile(const QString& folder, const QString& name);
    bool saveTo(const SaveChoice& choice);

    shell::Session& session_;
    const listings::ViewerModel& model_;
    QLabel* label_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTextEdit* text_ = nullptr;
    QPushButton* find_ = nullptr;
    QPushButton* size_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    bool focused_ = false;
};

// The viewer of the desktop program's run: a new TViewForm for each listing.
class QtListingViewer : public ui::ListingViewer {
  public:
    QtListingViewer(shell::Session& session, QWidget* parent = nullptr)
        : session_(session), parent_(parent) {}

    void ShowListing(const std::string& file, const std::string& title) override;

    // Called with the viewer before it is shown (tests drive it from here).
    std::function<void(TViewForm&)> onCreated;

  private:
    shell::Session& session_;
    QPointer<QWidget> parent_;
};

}  // namespace nivex::qt
