#include "Moments.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <system_error>

#include "CardWalk.h"
#include "FileBytes.h"
#include "MovieHeader.h"

namespace card {
namespace {

// The movie header counts from 1904, the names' times from 1970.
constexpr int64_t kSeconds1904To1970 = 2082844800;

struct Member {
    size_t file;
    ChannelMark mark;
};

bool hasChannel(const std::vector<Member>& moment, Channel channel) {
    return std::any_of(moment.begin(), moment.end(), [&](const Member& m) { return m.mark.channel == channel; });
}

const Member* frontOf(const std::vector<Member>& moment) {
    for (const Member& m : moment)
        if (m.mark.channel == Channel::Front) return &m;
    return nullptr;
}

// The closest front file of the same folder, started within kSameMomentSeconds, that
// has no file of this channel yet.
std::optional<size_t> partnerByTime(std::span<const CardFile> files, const std::vector<std::vector<Member>>& moments,
                                    size_t lone) {
    const Member& loner = moments[lone].front();
    const std::optional<int64_t> start = files[loner.file].start;
    if (!start) return std::nullopt;
    std::optional<size_t> best;
    int64_t bestGap = kSameMomentSeconds + 1;
    for (size_t m = 0; m < moments.size(); ++m) {
        const Member* front = m == lone ? nullptr : frontOf(moments[m]);
        if (!front || front->mark.place != loner.mark.place || hasChannel(moments[m], loner.mark.channel)) continue;
        const std::optional<int64_t> frontStart = files[front->file].start;
        if (!frontStart) continue;
        const int64_t gap = *frontStart > *start ? *frontStart - *start : *start - *frontStart;
        if (gap < bestGap) best = m, bestGap = gap;
    }
    return best;
}

// Members sorted front, rear, interior: the main channel is the first of them there is.
Moment momentOf(std::span<const CardFile> files, const std::vector<Member>& members) {
    Moment moment;
    for (const Member& m : members) moment.channels.push_back({m.mark.channel, files[m.file].path, files[m.file].relative});
    moment.kind = kindOf(moment.mainChannel().relative);
    return moment;
}

}  // namespace

std::vector<size_t> driveOrder(std::span<const CardFile> files) {
    // Per group (its camera folder), per folder: the files, in walk order.
    std::map<std::string, std::map<std::string, std::deque<size_t>>> groups;
    std::vector<std::string> groupOf;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string_view relative = files[i].relative;
        const size_t slash = relative.rfind('/');
        const std::string_view folder = relative.substr(0, slash == std::string_view::npos ? 0 : slash);
        std::string camera;
        for (size_t start = 0; start < folder.size();) {
            const size_t end = std::min(folder.find('/', start), folder.size());
            const std::string_view name = folder.substr(start, end - start);
            start = end + 1;
            if (folderKind(name) != Kind::Unknown) break;
            if (isChannelFolder(name)) continue;
            camera.append(name).append("/");
        }
        groups[camera][std::string(folder)].push_back(i);
        groupOf.push_back(std::move(camera));
    }
    std::vector<size_t> order;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto group = groups.find(groupOf[i]);
        if (group == groups.end()) continue;  // merged already
        std::vector<std::deque<size_t>*> lanes;
        const auto startOf = [&](const std::deque<size_t>* lane) {
            return std::pair(*files[lane->front()].start, lane->front());
        };
        for (auto& [folder, lane] : group->second) lanes.push_back(&lane);
        for (;;) {
            std::deque<size_t>* next = nullptr;
            for (std::deque<size_t>* lane : lanes)
                if (!lane->empty() && (!next || lane->front() < next->front())) next = lane;
            if (!next) break;
            if (files[next->front()].start)
                for (std::deque<size_t>* lane : lanes)
                    if (!lane->empty() && files[lane->front()].start && startOf(lane) < startOf(next)) next = lane;
            order.push_back(next->front());
            next->pop_front();
        }
        groups.erase(group);
    }
    return order;
}

std::vector<Moment> groupMoments(std::span<const CardFile> files) {
    std::vector<std::vector<Member>> moments;
    std::map<std::string, size_t> byName;
    for (size_t i = 0; i < files.size(); ++i) {
        Member member{i, channelOf(files[i].relative)};
        const auto named = byName.find(member.mark.pairing);
        if (named != byName.end() && !hasChannel(moments[named->second], member.mark.channel)) {
            moments[named->second].push_back(std::move(member));
            continue;
        }
        byName[member.mark.pairing] = moments.size();
        moments.push_back({std::move(member)});
    }
    for (size_t m = 0; m < moments.size(); ++m) {
        if (moments[m].size() != 1 || moments[m].front().mark.channel == Channel::Front) continue;
        if (const auto partner = partnerByTime(files, moments, m)) {
            moments[*partner].push_back(moments[m].front());
            moments[m].clear();
        }
    }
    std::erase_if(moments, [](const std::vector<Member>& m) { return m.empty(); });
    for (std::vector<Member>& members : moments)
        std::sort(members.begin(), members.end(), [](const Member& a, const Member& b) { return a.mark.channel < b.mark.channel; });
    // Rows follow the main channels' order on the card, whatever folder the others lie in.
    std::vector<size_t> rank(files.size());
    const std::vector<size_t> order = driveOrder(files);
    for (size_t r = 0; r < order.size(); ++r) rank[order[r]] = r;
    std::sort(moments.begin(), moments.end(), [&](const std::vector<Member>& a, const std::vector<Member>& b) {
        return rank[a.front().file] < rank[b.front().file];
    });
    std::vector<Moment> out;
    for (const std::vector<Member>& members : moments) out.push_back(momentOf(files, members));
    return out;
}

std::optional<int64_t> startTime(const std::string& path, std::string_view relative) {
    const size_t slash = relative.rfind('/');
    if (const auto named = nameTime(relative.substr(slash == std::string_view::npos ? 0 : slash + 1))) return named;
    if (!channelOf(relative).marked) return std::nullopt;
    const auto header = telemetry::movieHeader(telemetry::RandomAccessFile(path));
    if (!header || header->creationTime == 0) return std::nullopt;
    return int64_t(header->creationTime) - kSeconds1904To1970;
}

std::vector<Moment> momentsOnCard(const std::string& folder) {
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    std::vector<CardFile> files;
    for (std::string& path : recordingsOnCard(folder)) {
        std::string relative = path.substr(prefix.size());
        const std::optional<int64_t> start = startTime(path, relative);
        files.push_back({std::move(path), std::move(relative), start});
    }
    return groupMoments(files);
}

std::vector<Moment> momentsOf(const std::vector<std::string>& arguments) {
    std::vector<Moment> moments;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (std::filesystem::is_directory(argument, error)) {
            std::vector<Moment> inFolder = momentsOnCard(argument);
            std::move(inFolder.begin(), inFolder.end(), std::back_inserter(moments));
            continue;
        }
        const size_t slash = argument.rfind('/');
        const std::string name = argument.substr(slash == std::string::npos ? 0 : slash + 1);
        Moment moment;
        moment.channels.push_back({channelOf(name).channel, argument, name});
        moment.kind = kindOf(argument);
        moments.push_back(std::move(moment));
    }
    return moments;
}

}  // namespace card
