#include "ChannelChoice.h"

#include <QAction>
#include <QActionGroup>
#include <QStatusBar>

#include "MainMenu.h"
#include "PlaybackSession.h"
#include "VideoPanel.h"

void connectChannelChoice(MainMenu& menu, PlaybackSession& session, VideoPanel& video, QStatusBar& status) {
    const auto apply = [&menu, &session] {
        const QAction* layout = menu.channelLayouts->checkedAction();
        const QAction* large = menu.mainChannels->checkedAction();
        session.setChannelView(layout ? ChannelLayout(layout->data().toInt()) : ChannelLayout::PictureInPicture,
                               large ? large->data().toString() : QString());
    };
    QObject::connect(menu.channelLayouts, &QActionGroup::triggered, &session, apply);
    QObject::connect(menu.mainChannels, &QActionGroup::triggered, &session, apply);
    QObject::connect(&video, &VideoPanel::channelClicked, &session, [&menu, &session](int channel) {
        const QAction* layout = menu.channelLayouts->checkedAction();
        if (!layout || ChannelLayout(layout->data().toInt()) != ChannelLayout::PictureInPicture) return;
        const QString name = session.channels().value(channel);
        for (QAction* a : menu.mainChannels->actions())
            if (a->data().toString() == name && !a->isChecked() && a->isEnabled()) a->trigger();
    });
    const auto offer = [&menu, &session] {
        const QStringList channels = session.channels();
        for (QAction* a : menu.mainChannels->actions()) a->setEnabled(channels.contains(a->data().toString()));
        for (QAction* a : menu.channelLayouts->actions()) a->setEnabled(channels.size() > 1);
    };
    QObject::connect(&session, &PlaybackSession::opening, &menu, offer);
    QObject::connect(&session, &PlaybackSession::notice, &status, [&status](const QString& text) { status.showMessage(text, 10000); });
    offer();
}
