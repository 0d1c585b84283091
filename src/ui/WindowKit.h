#pragma once

// What a window needs beyond the program-wide state: the one endorsement
// dialog of the run, and the windows of other areas it opens (the registers
// from the entry windows, the result windows from the search). The top floor
// (src/app) makes them, so no area includes the windows of another.

#include <functional>

class QDialog;
class QWidget;

namespace sorvane {

class EndorsementDialog;

struct WindowKit {
    using Factory = std::function<QDialog *(QWidget *parent)>;

    EndorsementDialog *endorsements = nullptr;  // the one dialog of the run
    Factory customerRegister;                   // 得意先情報
    Factory supplierRegister;                   // 仕入先情報
    Factory receivableResults;                  // 受取結果表示
    Factory payableResults;                     // 支払結果表示
};

} // namespace sorvane
