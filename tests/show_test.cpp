// The show driver's decisions: full screen or window from the command line,
// and which events end the show.
#include "show/frame.h"
#include "show/startup.h"

#include <gtest/gtest.h>

namespace {

bool windowed(std::initializer_list<const char*> args)
{
    std::vector<char*> argv;
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    return windowed_mode(static_cast<int>(argv.size()), argv.data());
}

TEST(CommandLine, OnlyExactlyDashWSelectsAWindow)
{
    EXPECT_TRUE(windowed({"quorvex", "-w"}));
    EXPECT_TRUE(windowed({"quorvex", "-w", "anything"}));
    EXPECT_FALSE(windowed({"quorvex"}));
    EXPECT_FALSE(windowed({"quorvex", "w"}));
    EXPECT_FALSE(windowed({"quorvex", "-W"}));
    EXPECT_FALSE(windowed({"quorvex", "-w "}));
    EXPECT_FALSE(windowed({"quorvex", "-window"}));
    EXPECT_FALSE(windowed({"quorvex", ""}));
    EXPECT_FALSE(windowed({"quorvex", "--", "-w"}));
}

SDL_Event key(Uint8 type, SDLKey sym)
{
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.keysym.sym = sym;
    return event;
}

TEST(QuitEvents, ReleaseOfEscapeOrWindowCloseQuits)
{
    SDL_Event close{};
    close.type = SDL_QUIT;
    EXPECT_TRUE(is_quit_event(close));
    EXPECT_TRUE(is_quit_event(key(SDL_KEYUP, SDLK_ESCAPE)));
    EXPECT_FALSE(is_quit_event(key(SDL_KEYDOWN, SDLK_ESCAPE)));
    EXPECT_FALSE(is_quit_event(key(SDL_KEYUP, SDLK_q)));
    EXPECT_FALSE(is_quit_event(key(SDL_KEYUP, SDLK_SPACE)));
}

TEST(QuitEvents, DrainStopsAtTheFirstQuitAndLeavesTheRest)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(64, 48, 32, 0), nullptr) << SDL_GetError();
    SDL_Event press = key(SDL_KEYDOWN, SDLK_ESCAPE);
    SDL_Event release = key(SDL_KEYUP, SDLK_ESCAPE);
    SDL_Event other = key(SDL_KEYUP, SDLK_a);
    SDL_PushEvent(&press);
    EXPECT_FALSE(quit_requested());
    SDL_PushEvent(&release);
    SDL_PushEvent(&other);
    EXPECT_TRUE(quit_requested());
    SDL_Event left{};
    ASSERT_EQ(SDL_PollEvent(&left), 1);
    EXPECT_EQ(left.key.keysym.sym, SDLK_a);
    SDL_Quit();
}

}  // namespace
