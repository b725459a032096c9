// SPDX-License-Identifier: GPL-3.0-or-later
#include "photoorder.h"

#include "folderscan.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

QByteArray folded(const QByteArray &name)
{
    return foldCase(name, InvalidUtf8::LowerAscii);
}

// The number a camera counts up in its file names: the trailing digits of the stem (at most
// nine), with how many digits it has; width 0 when the stem ends in something else.
struct Counter
{
    qint64 value = 0;
    int width = 0;
};

Counter counterOf(const QByteArray &stem)
{
    Counter counter;
    qsizetype i = stem.size();
    while (i > 0 && counter.width < 9 && stem[i - 1] >= '0' && stem[i - 1] <= '9')
        --i, ++counter.width;
    for (qsizetype j = i; j < stem.size(); ++j)
        counter.value = counter.value * 10 + (stem[j] - '0');
    return counter;
}

qint64 powerOfTen(int width)
{
    qint64 p = 1;
    while (width-- > 0)
        p *= 10;
    return p;
}

// What makes a name one of a shot: the shot's key (its stem, case-folded; empty for a name
// that is a shot of its own), its stem and, for a sidecar named after a whole name, the
// extension it keeps ("CR2.xmp").
struct ShotName
{
    QByteArray key;
    QByteArray stem;
    QByteArray sidecarExtension;
};

QByteArray stemOf(const QByteArray &name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

ShotName shotNameOf(const QByteArray &name, const QSet<QByteArray> &wholeNames)
{
    ShotName result;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0 && name.size() - dot == 4 && folded(name.mid(dot)) == ".xmp") {
        const QByteArray base = name.left(dot); // IMG_0042.CR2 of IMG_0042.CR2.xmp
        const QByteArray baseStem = stemOf(base);
        if (baseStem.size() < base.size() && !baseStem.isEmpty()
            && wholeNames.contains(folded(base))) {
            result.stem = baseStem;
            result.key = folded(baseStem);
            result.sidecarExtension = name.mid(baseStem.size() + 1);
            return result;
        }
    }
    result.stem = stemOf(name);
    if (!result.stem.isEmpty())
        result.key = folded(result.stem);
    return result;
}

// A movie by its name: what a Live Photo's movie is, next to its still.
bool isMovie(const QByteArray &name)
{
    const QByteArray extension = folded(name.mid(name.lastIndexOf('.') + 1));
    return extension == "mov" || extension == "mp4" || extension == "m4v";
}

// Labels of the shots being formed, some joined into one: each label's parent, a root for a
// shot of its own; the root of joined labels is the smallest.
struct Joins
{
    std::vector<int> parent;

    int add()
    {
        parent.push_back(int(parent.size()));
        return parent.back();
    }
    int find(int label)
    {
        while (parent[size_t(label)] != label)
            label = parent[size_t(label)] = parent[size_t(parent[size_t(label)])];
        return label;
    }
    void join(int a, int b)
    {
        a = find(a);
        b = find(b);
        parent[size_t(std::max(a, b))] = std::min(a, b);
    }
};

// The Live Photos among the selected files (their labels by stem in labelOf): files of one
// stem whose content identifiers differ are split apart, each identifier with the files that
// carry it, the rest with the first still that has one; then the still and the movie of one
// identifier are joined into one shot, whatever their names. differentOf tells, by file, a file
// of the same stem that another identifier kept apart from it.
void tieLivePhotos(const std::vector<QByteArray> &selected, const std::vector<CaptureTime> &times,
                   const std::vector<QByteArray> &sidecarExtensions, std::vector<int> &labelOf,
                   Joins &joins, std::vector<int> &differentOf)
{
    std::vector<std::vector<int>> filesOfLabel(joins.parent.size());
    for (size_t f = 0; f < selected.size(); ++f)
        filesOfLabel[size_t(labelOf[f])].push_back(int(f));
    const auto idOf = [&times](int f) -> const QByteArray & { return times[size_t(f)].contentId; };
    for (const std::vector<int> &files : filesOfLabel) {
        int kept = -1; // the first still with an identifier, else the first file with one
        for (int f : files) {
            if (!idOf(f).isEmpty()
                && (kept < 0 || (isMovie(selected[size_t(kept)]) && !isMovie(selected[size_t(f)]))))
                kept = f;
        }
        if (kept < 0)
            continue;
        QHash<QByteArray, int> labelOfId;
        labelOfId.insert(idOf(kept), labelOf[size_t(kept)]);
        for (int f : files) {
            if (idOf(f).isEmpty())
                continue;
            auto it = labelOfId.find(idOf(f));
            if (it == labelOfId.end())
                it = labelOfId.insert(idOf(f), joins.add());
            labelOf[size_t(f)] = *it;
            for (int other : files) {
                if (!idOf(other).isEmpty() && idOf(other) != idOf(f)) {
                    differentOf[size_t(f)] = other;
                    break;
                }
            }
        }
        if (labelOfId.size() < 2)
            continue;
        // A sidecar named after a whole name goes with that file.
        for (int f : files) {
            if (!idOf(f).isEmpty() || sidecarExtensions[size_t(f)].isEmpty())
                continue;
            const QByteArray base = folded(selected[size_t(f)].chopped(4)); // without ".xmp"
            for (int other : files) {
                if (folded(selected[size_t(other)]) == base)
                    labelOf[size_t(f)] = labelOf[size_t(other)];
            }
        }
    }
    // Each shot that holds only the still or only the movie of its identifier is joined with
    // the first one that holds only the other, in list order, so that copies of a Live Photo
    // (IMG_0108.HEIC and IMG_0108 (1).HEIC with their movies) stay shots of their own.
    struct Half
    {
        QByteArray id;
        bool still = false, movie = false;
    };
    QHash<int, Half> halves; // by label
    std::vector<int> labels; // in the list order of their first file with an identifier
    for (size_t f = 0; f < selected.size(); ++f) {
        if (times[f].contentId.isEmpty())
            continue;
        if (!halves.contains(labelOf[f]))
            labels.push_back(labelOf[f]);
        Half &half = halves[labelOf[f]];
        half.id = times[f].contentId;
        (isMovie(selected[f]) ? half.movie : half.still) = true;
    }
    QHash<QByteArray, std::vector<int>> stillsAlone, moviesAlone;
    for (int label : labels) {
        const Half &half = halves[label];
        if (half.still == half.movie)
            continue;
        std::vector<int> &partners = (half.still ? moviesAlone : stillsAlone)[half.id];
        if (partners.empty()) {
            (half.still ? stillsAlone : moviesAlone)[half.id].push_back(label);
        } else {
            joins.join(label, partners.front());
            partners.erase(partners.begin());
        }
    }
}

struct Shot
{
    std::vector<int> files; // selected indices, in list order
    CaptureTime time;
    Counter counter;
    qint64 counterKey = 0; // the counter, lifted over a wrap
};

// The time a shot is numbered by: the earliest of its best source. The movie of a Live Photo
// does not count where its still is in the shot: the still is the moment taken.
CaptureTime shotTime(const Shot &shot, const std::vector<QByteArray> &selected,
                     const std::vector<CaptureTime> &times)
{
    QSet<QByteArray> stillIds;
    for (int f : shot.files) {
        if (!times[size_t(f)].contentId.isEmpty() && !isMovie(selected[size_t(f)]))
            stillIds.insert(times[size_t(f)].contentId);
    }
    CaptureTime time;
    bool first = true;
    for (int f : shot.files) {
        const CaptureTime &t = times[size_t(f)];
        if (!stillIds.isEmpty() && stillIds.contains(t.contentId) && isMovie(selected[size_t(f)]))
            continue;
        if (first || t.source < time.source || (t.source == time.source && earlier(t, time)))
            time = t;
        first = false;
    }
    return time;
}

bool sameTime(const CaptureTime &a, const CaptureTime &b)
{
    return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

bool undated(const Shot &shot)
{
    return shot.time.source == CaptureSource::FileDate;
}

// Within shots of one time: a counter in the top tenth of its range (9000 to 9999 of four
// digits) next to one of the same width in the bottom tenth (0000 to 0999) means the camera
// wrapped, so the bottom ones count as following the top ones.
void liftWrappedCounters(std::vector<Shot> &shots, std::vector<int>::iterator begin,
                         std::vector<int>::iterator end)
{
    for (auto i = begin; i != end; ++i)
        shots[size_t(*i)].counterKey = shots[size_t(*i)].counter.value;
    for (auto i = begin; i != end; ++i) {
        const Counter &high = shots[size_t(*i)].counter;
        if (high.width == 0 || high.value * 10 < 9 * powerOfTen(high.width))
            continue;
        for (auto j = begin; j != end; ++j) {
            Shot &low = shots[size_t(*j)];
            if (low.counter.width == high.width && low.counter.value * 10 < powerOfTen(high.width))
                low.counterKey = low.counter.value + powerOfTen(high.width);
        }
    }
}

// Puts sequence (shots in list order) into the order of their times.
void sortByTime(std::vector<Shot> &shots, std::vector<int> &sequence)
{
    std::stable_sort(sequence.begin(), sequence.end(), [&shots](int a, int b) {
        return earlier(shots[size_t(a)].time, shots[size_t(b)].time);
    });
    for (auto begin = sequence.begin(); begin != sequence.end();) {
        auto end = begin + 1;
        while (end != sequence.end()
               && sameTime(shots[size_t(*end)].time, shots[size_t(*begin)].time))
            ++end;
        if (end - begin > 1) {
            liftWrappedCounters(shots, begin, end);
            // Shots with a capture time first; then those with a counter, by counter; shots
            // without one follow in list order.
            std::stable_sort(begin, end, [&shots](int a, int b) {
                const Shot &x = shots[size_t(a)], &y = shots[size_t(b)];
                if (undated(x) != undated(y))
                    return !undated(x);
                if ((x.counter.width == 0) != (y.counter.width == 0))
                    return x.counter.width != 0;
                return x.counterKey < y.counterKey;
            });
        }
        begin = end;
    }
}

} // namespace

PhotoOrder orderPhotos(const std::vector<QByteArray> &selected,
                       const std::vector<CaptureTime> &times, bool byCaptureTime, bool groups,
                       const std::vector<QByteArray> &listed)
{
    const bool haveTimes = byCaptureTime && times.size() == selected.size();
    QSet<QByteArray> wholeNames;
    if (groups) {
        for (const QByteArray &name : selected)
            wholeNames.insert(folded(name));
        for (const QByteArray &name : listed)
            wholeNames.insert(folded(name));
    }
    PhotoOrder order;
    std::vector<QByteArray> stems(selected.size());
    std::vector<QByteArray> sidecarExtensions(selected.size());
    // Each file's shot as a label: by its stem first, then as Live Photos join or split them.
    std::vector<int> labelOf(selected.size());
    Joins joins;
    QHash<QByteArray, int> labelOfKey;
    for (size_t f = 0; f < selected.size(); ++f) {
        int label = -1;
        if (groups) {
            ShotName n = shotNameOf(selected[f], wholeNames);
            stems[f] = std::move(n.stem);
            sidecarExtensions[f] = std::move(n.sidecarExtension);
            if (!n.key.isEmpty())
                label = labelOfKey.value(n.key, -1);
            if (label < 0) {
                label = joins.add();
                if (!n.key.isEmpty())
                    labelOfKey.insert(n.key, label);
            }
        } else {
            stems[f] = stemOf(selected[f]);
            label = joins.add();
        }
        labelOf[f] = label;
    }
    std::vector<int> differentOf(selected.size(), -1);
    if (groups && times.size() == selected.size())
        tieLivePhotos(selected, times, sidecarExtensions, labelOf, joins, differentOf);

    std::vector<Shot> shots;
    std::vector<int> shotOfRoot(joins.parent.size(), -1);
    for (size_t f = 0; f < selected.size(); ++f) {
        int &s = shotOfRoot[size_t(joins.find(labelOf[f]))];
        if (s < 0) {
            s = int(shots.size());
            shots.emplace_back();
            shots.back().counter = counterOf(stems[f]);
        }
        shots[size_t(s)].files.push_back(int(f));
    }
    if (haveTimes) {
        for (Shot &shot : shots)
            shot.time = shotTime(shot, selected, times);
    }

    std::vector<int> sequence(shots.size());
    for (size_t s = 0; s < shots.size(); ++s)
        sequence[s] = int(s);
    if (haveTimes)
        sortByTime(shots, sequence);

    order.shotCount = int(shots.size());
    order.entries.reserve(selected.size());
    std::vector<int> placeOfShot(shots.size());
    for (size_t place = 0; place < sequence.size(); ++place) {
        const Shot &shot = shots[size_t(sequence[place])];
        placeOfShot[size_t(sequence[place])] = int(place);
        for (int f : shot.files)
            order.entries.push_back(
                {f, int(place), sidecarExtensions[size_t(f)], differentOf[size_t(f)]});
        if (haveTimes) {
            order.shotTimes.push_back(shot.time);
            order.withoutCaptureTime += undated(shot);
        }
    }

    if (groups && !listed.empty()) {
        QSet<QByteArray> chosen;
        for (const QByteArray &name : selected)
            chosen.insert(name);
        for (size_t i = 0; i < listed.size(); ++i) {
            if (chosen.contains(listed[i]))
                continue;
            const QByteArray key = shotNameOf(listed[i], wholeNames).key;
            const auto it = key.isEmpty() ? labelOfKey.constEnd() : labelOfKey.constFind(key);
            if (it != labelOfKey.constEnd()) {
                const int shot = shotOfRoot[size_t(joins.find(it.value()))];
                order.unselectedOfShots.push_back({int(i), placeOfShot[size_t(shot)]});
            }
        }
    }
    return order;
}
