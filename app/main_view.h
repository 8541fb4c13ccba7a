// The screen side of the main window: owns the graphics state, implements
// the core's GameView (render, highlight, present, best-time entry) and the
// renderer's BoardSurface (`Field` and status panel 0). Every call goes to
// the renderer with this window's graphics, surface and counter.
#pragma once

#include "core/game_view.h"
#include "render/board_surface.h"
#include "render/graphics.h"

#include <QColor>
#include <QString>
#include <functional>

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

    // Logo, pause and about screens.
    void ShowLogoScreen();
    void WriteLogoLine(const QColor& colour, const QString& text);
    void ResumeFromLogo();

    // Start-up and shutdown of the pictures.
    void CreateBitmaps();
    void LoadGraphics();
    void BuildSheetIndex();
    void FreeBitmaps();
    void ChoosePixelFormat(PixelFormatSetting format);
    // The zoom level the pictures are drawn at (RescaleGraphics); before
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
};

} // namespace kelmar
