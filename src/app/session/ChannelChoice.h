#pragma once
// The View menu's channel choices steer the session: the layout and the channel
// shown large; only the channels the open row has can be chosen.

class MainMenu;
class PlaybackSession;
class QStatusBar;

void connectChannelChoice(MainMenu& menu, PlaybackSession& session, QStatusBar& status);
