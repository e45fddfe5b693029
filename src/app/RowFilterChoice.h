#pragma once
// The View menu's filter steers which rows the table shows; while it hides rows, the
// status bar says how many of all are shown. The recording playing plays on when its
// row is hidden, and is highlighted again once shown.

class FileTableView;
class MainMenu;
class PlaybackSession;
class QStatusBar;

void connectRowFilter(MainMenu& menu, FileTableView& table, const PlaybackSession& session, QStatusBar& status);
