// The screen side of the main window: owns the graphics state, implements
// the core's GameView (render, highlight, present, best-time entry) and the
// renderer's BoardSurface (`Field` and status panel 0). Every call goes to
// the renderer with this window's graphics, surface and counter.
#pragma once

#include "core/game_view.h"
#include "core/solvability.h"
#include "play/play_controller.h"
#include "render/board_surface.h"
#include "render/graphics.h"
#include "render/looks.h"

#include <QColor>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace kelmar {

class TField;
class TStatusBar;
class TickSource;
struct Game;

class MainView final : public GameView, public BoardSurface {
public:
    MainView(Game& game, TField& field, TStatusBar& status, TickSource& ticks);
    ~MainView();
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    // The score window's entry, set once it exists; empty means no entry.
    void setHighScoreSink(std::function<void(int32_t)> enter) {
        enterHighScore_ = std::move(enter);
    }

    // GameView.
    void RenderBoard() override;
    void HighlightTile(const Rect& rect) override;
    void PresentBoard() override;
    void EnterHighScore(int32_t timeMs) override;

    // BoardSurface.
    void present(const Bitmap& backBuffer) override;
    void setStatusText(const QString& text) override;
    void drawSurfaceText(int x, int y, const QColor& color, const QString& text) override;

    // A text that stands in status panel 0 instead of the move count or the
    // outcome for as long as the position on the board stays the same (the
    // answers of the solvability check). Shown at once.
    void setStatusNote(const QString& text);
    // Ends the note at once and shows the last text of the renderer again
    // (the board was replaced by a position that may look the same).
    void clearStatusNote();
    // The rank of the win on the board: stands in panel 0 instead of the
    // outcome while the won board stays, its replay included; the next
    // board ends it (clearStatusNote). Shown at once.
    void setWinNote(const QString& text);

    // Logo, pause and about screens. ShowStartScreen: the logo with the
    // start lines (saying that the kept game goes on when `continuing`);
    // ShowScreen: the pause or about screen, or back to the board.
    void ShowStartScreen(bool continuing);
    void ShowScreen(Screen screen);
    void ShowLogoScreen();
    void WriteLogoLine(const QColor& colour, const QString& text);
    void ResumeFromLogo();

    // Start-up and shutdown of the pictures.
    void CreateBitmaps();
    void LoadGraphics();
    void BuildSheetIndex();
    void FreeBitmaps();
    void ChoosePixelFormat(PixelFormatSetting format);
    // New looks, drawn at once (render/looks.h, ChooseLooks).
    void ChooseLooks(const LookSetting& looks);
    // The scale the pictures are composed at (RescaleGraphics); before
    // the bitmaps exist it only sets the level of the first load.
    void setScalePercent(int percent);
    int scalePercent() const { return graphics_.ScalePercent; }

    int32_t LastRenderMs() const { return graphics_.LastRenderMs; }
    Graphics& graphics() { return graphics_; }

private:
    Game& game_;
    TField& field_;
    TStatusBar& status_;
    TickSource& ticks_;
    Graphics graphics_;
    std::function<void(int32_t)> enterHighScore_;
    struct StatusNote {
        QString text;
        PositionKey position;
    };
    std::optional<StatusNote> note_;
    QString outcomeText_; // the renderer's last panel-0 text
    QString winNote_;     // empty: none
    static constexpr int kKeepSourcesMs = 1000;
    QTimer releaseSources_; // drops graphics_.Sources after the last rescale
};

} // namespace kelmar
