// The maker logo's screen (mode 1): the opening movie when its file exists, skipped by a decide or
// cancel press or a click, closed a second after it ends; then the title.
#include "display/dd_display.h"
#include "platform/clock.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "services/mov_movie.h"
#include "shell/app_frame.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "title/title.h"

namespace {
constexpr const char* kMovie = "WAV\\EARLYSTG.DAT";  // beside the program, not joined to the base
constexpr uint32_t kCloseDelay = 1000;               // ms from the movie's end to its close
constexpr int kPicturePriority = 200;                // behind every other display object
constexpr uint32_t kLeft = 1, kRight = 2;

enum class Phase { Start, Playing, Ended };
Phase g_phase = Phase::Start;
MOV_DATA* g_movie = nullptr;
uint32_t g_ended_at = 0;
// The movie is drawn into a picture of its own, shown by a display object: a frame that does not
// change (the movie has ended or waits) stays whole under the notices drawn over it.
int g_image = -1;
int g_object = -1;

void OpenMovie() {
    DWWL_Init();
    g_movie = MOV_Open(kMovie, DD_DISPLAY.dd4);
    MOV_SetPos(g_movie, 0, 0);
    MOV_SetSize(g_movie, 640, 480);
    g_image = IMG_Create(640, 480, 0);
    g_object = SP_FindFree();
    if (g_object >= 0 && !SP_CreateStill(g_object, kPicturePriority, 0, 0, g_image, nullptr)) g_object = -1;
    MOV_Play(g_movie);
    if (MOV_GetTime(g_movie) >= MOV_GetDuration(g_movie)) SYS_DebugPrint("LOGO: %s holds no movie that plays", kMovie);
}

void CloseMovie() {
    if (!g_movie) return;
    MOV_Close(&g_movie);
    DWWL_Term();
    g_object = SP_Free(g_object);
    g_image = IMG_Free(g_image);
}

bool Skipped() {
    KEY_Update();
    return (KEY_DATA.pressed & (KEY_A | KEY_B)) || (MOUSE_FRAME.edge & (kLeft | kRight));
}

// The movie's next frame, stretched over the whole picture as its size is set.
void DrawMovie() {
    if (DDSurface* s = IMG_Surface(g_image)) MOV_Draw(g_movie, s);
}
}  // namespace

void LOGO_Main() {
    switch (g_phase) {
        case Phase::Start:
            if (FIL_GetSize(kMovie) < 0) {  // no opening movie: the title at once
                APP_SetMode(APP_MODE_TITLE);
                return;
            }
            OpenMovie();
            g_phase = Phase::Playing;
            break;
        case Phase::Playing:
            if (MOV_GetTime(g_movie) >= MOV_GetDuration(g_movie)) {
                g_phase = Phase::Ended;
            } else if (Skipped()) {
                MOV_Stop(g_movie);
                g_phase = Phase::Ended;
            }
            if (g_phase == Phase::Ended) g_ended_at = plat::TimeMs();
            break;
        case Phase::Ended:
            if (plat::TimeMs() - g_ended_at < kCloseDelay) break;
            CloseMovie();
            g_phase = Phase::Start;
            APP_SetMode(APP_MODE_TITLE);
            break;
    }
}

void LOGO_Draw() {
    if (g_movie) DrawMovie();
    APP_DrawDefault();
}

int LOGO_IsActive() { return GAME_MODE == APP_MODE_LOGO ? 1 : 0; }

void LOGO_Term() {
    CloseMovie();
    g_phase = Phase::Start;
}
