#pragma once

// What a window needs beyond the program-wide state: the one endorsement
// dialog of the run, and the windows of other areas it opens (the registers
// from the entry windows, the result windows from the search). The top floor
// (src/app) makes them, so no area includes the windows of another.

#include <QtGlobal>

#include <functional>

class QDialog;
class QWidget;

namespace sorvane {

class EndorsementDialog;

struct WindowKit {
    using Factory = std::function<QDialog *(QWidget *parent)>;
    // A window about one bill (0: about every bill).
    using BillFactory = std::function<QDialog *(QWidget *parent, qint64 billId)>;

    EndorsementDialog *endorsements = nullptr;  // the one dialog of the run
    Factory customerRegister;                   // 得意先情報
    Factory supplierRegister;                   // 仕入先情報
    Factory receivableResults;                  // 受取結果表示
    Factory payableResults;                     // 支払結果表示
    BillFactory history;                        // 手形履歴
};

class UiService;

// Opens the history of the bill (0: the search over every bill) modally
// over the parent, when the kit has the window.
void openHistory(const WindowKit &kit, UiService &ui, QWidget *parent, qint64 billId);

} // namespace sorvane
