#pragma once
// The View menu's channel choices steer the session: the layout and the channel
// shown large; only the channels the open row has can be chosen. In picture in picture a
// click on a small picture makes its channel the large one, as its menu item does.

class MainMenu;
class PlaybackSession;
class QStatusBar;
class VideoPanel;

void connectChannelChoice(MainMenu& menu, PlaybackSession& session, VideoPanel& video, QStatusBar& status);
