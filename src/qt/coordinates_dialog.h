#pragma once
// "Coordenadas de Pozos": the X and Y of every manhole of the sector in a table, typed or
// pasted from a spreadsheet, kept in the sector's coordinates file. The checks and the
// pasting belong to drawings::CoordinateTable; the dialog only shows and forwards.

#include <QDialog>
#include <string>
#include <vector>

#include "drawings/coordinates_table.h"
#include "project/project.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace nivex::qt {

class CoordinatesDialog : public QDialog {
    Q_OBJECT

  public:
    // note: UTF-8 lines about the file shown under the table ("" for none).
    CoordinatesDialog(project::Project& p, drawings::CoordinateTable table, const std::string& note,
                      QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* systemLabel() const { return system_; }
    QLabel* countLabel() const { return count_; }
    QLabel* noteLabel() const { return note_; }

    // The rows as the table shows them now, and whether they differ from those opened.
    std::vector<drawings::CoordinateRow> rows() const;
    bool changed() const;
    // Whether "Guardar" wrote the file.
    bool saved() const { return saved_; }

    // A block of copied text put in from the current row; false when refused, after a
    // message box said why (the table is then as it was), or when the sector is only read.
    bool pasteText(const QString& text);

  public slots:
    void paste();  // the clipboard's text
    void save();
    // "Cancelar", Esc and the window's close button: changes are only dropped when the
    // user says so.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void setRow(int row, const drawings::CoordinateRow& r);
    void clearSelectedCells();
    void refreshCount();
    void showError(const std::string& utf8);

    project::Project& project_;
    drawings::CoordinateTable opened_;
    QTableWidget* table_ = nullptr;
    QLabel* system_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool saved_ = false;
};

// Reads the manholes of the open sector's network and its stored coordinates, shows the
// dialog over parent and returns whether the coordinates file was written. A file that
// cannot be read is told in a message box naming it, and nothing is shown.
bool EditManholeCoordinates(QWidget* parent, project::Project& p);

}  // namespace nivex::qt
