#include "MediaPlayer.h"

QString openFailureText(MediaPlayer::OpenFailure failure) {
    switch (failure) {
    case MediaPlayer::OpenFailure::None: return {};
    case MediaPlayer::OpenFailure::NoPlayer: return MediaPlayer::tr("No video player");
    case MediaPlayer::OpenFailure::Gone: return MediaPlayer::tr("File is gone");
    case MediaPlayer::OpenFailure::NotRegularFile: return MediaPlayer::tr("Not a regular file");
    case MediaPlayer::OpenFailure::Unreadable: return MediaPlayer::tr("Cannot read the file");
    case MediaPlayer::OpenFailure::NoVideo: return MediaPlayer::tr("No video track");
    case MediaPlayer::OpenFailure::CannotDecode: return MediaPlayer::tr("Cannot decode the video");
    }
    return {};
}
