#include "platform/media/MediaTracks.h"

#include "platform/media/MediaHandles.h"

namespace tavero::media {

namespace {

TrackCoding codingOf(const AVCodecParameters& parameters) {
    TrackCoding coding;
    coding.codec = parameters.codec_id;
    coding.width = parameters.width;
    coding.height = parameters.height;
    coding.format = parameters.format;
    coding.sampleRate = parameters.sample_rate;
    coding.channels = parameters.ch_layout.nb_channels;
    if (parameters.extradata)
        coding.extradata = QByteArray(reinterpret_cast<const char*>(parameters.extradata), parameters.extradata_size);
    return coding;
}

}  // namespace

QList<MediaTrack> readTracks(const QString& path, const CancelToken& cancel) {
    InputFile input(path, cancel, StreamInfo::fromHeader);
    QList<MediaTrack> tracks;
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        const AVStream* stream = input->streams[index];
        const AVMediaType type = stream->codecpar->codec_type;
        const bool picture = type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
        if (!picture && type != AVMEDIA_TYPE_AUDIO) continue;
        const AVDictionaryEntry* handler = av_dict_get(stream->metadata, "handler_name", nullptr, 0);
        tracks.append({picture ? TrackKind::video : TrackKind::sound, int(index),
                       handler ? QString::fromUtf8(handler->value) : QString(), codingOf(*stream->codecpar),
                       double(declaredLength(input.get(), stream)) * av_q2d(stream->time_base)});
    }
    return tracks;
}

}  // namespace tavero::media
