// The inside of the main window, for tests and benchmarks only: its
// controls and the objects behind its commands, which the window itself
// keeps to itself.
#pragma once

#include "app/board_workers.h"
#include "app/main_menu.h"
#include "app/main_window.h"

#include <QAction>

namespace kelmar {

struct TMainFormInside {
    explicit TMainFormInside(TMainForm& f)
        : form(f), Client(f.Client), Field(f.Field), Status(f.Status), TimerObject(f.TimerObject),
          MZoomItems(f.menu_->MZoomItems), MDifficultyItems(f.menu_->MDifficultyItems),
          MFullScreen(f.menu_->MFullScreen) {}

    // The menu item or tool button of that name (MNew, BNew, MSafeHint, ...).
    QAction* action(const char* name) const {
        return form.findChild<QAction*>(QString::fromLatin1(name));
    }
    MainView& view() const { return *form.view_; }
    SolvabilityCheck& solvability() const { return form.workers_->solvability(); }
    SafeHintCheck& safeHint() const { return form.workers_->safeHint(); }
    DemoRunner& demo() const { return form.workers_->demo(); }
    ResumeKeeper& resume() const { return *form.resume_; }
    RecordWriter& records() const { return *form.records_; }
    const std::vector<Layout>& layouts() const { return form.play_.layouts(); }
    LayoutScores& layoutScores() const { return form.play_.scores().others(); }
    const Layout* boardLayout() const { return form.play_.boardLayout(); }
    QString SaveFileName() const { return QString::fromStdString(form.play_.saveFileName()); }

    TMainForm& form;
    QWidget* Client;
    TField* Field;
    TStatusBar* Status;
    QTimer* TimerObject;
    std::array<QAction*, 5>& MZoomItems;
    std::array<QAction*, 4>& MDifficultyItems;
    QAction* MFullScreen;
};

inline TMainFormInside Inside(TMainForm& form) {
    return TMainFormInside(form);
}

} // namespace kelmar
