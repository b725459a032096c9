// SPDX-License-Identifier: GPL-3.0-or-later
#include "photoorder.h"

#include "folderscan.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <algorithm>

namespace {

bool isAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
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

struct Shot
{
    std::vector<int> files; // selected indices, in list order
    CaptureTime time;
    Counter counter;
    qint64 counterKey = 0; // the counter, lifted over a wrap
};

bool earlier(const CaptureTime &a, const CaptureTime &b)
{
    return a.seconds != b.seconds ? a.seconds < b.seconds : a.nanoseconds < b.nanoseconds;
}

bool sameTime(const CaptureTime &a, const CaptureTime &b)
{
    return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
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

} // namespace

ShotName shotName(const QByteArray &name)
{
    ShotName result;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0) {
        result.stem = name;
        result.key = foldCase(name, InvalidUtf8::LowerAscii);
        return result;
    }
    qsizetype stemEnd = dot;
    if (name.size() - dot == 4 && name.mid(dot + 1).toLower() == "xmp") {
        // <stem>.<ext>.xmp, where <ext> is a short extension of letters and digits
        qsizetype inner = dot;
        while (inner > 0 && dot - inner < 6 && isAlnum(name[inner - 1]))
            --inner;
        if (inner > 1 && inner < dot && name[inner - 1] == '.') {
            stemEnd = inner - 1;
            result.doubleExtension = true;
        }
    }
    result.stem = name.left(stemEnd);
    result.key = foldCase(result.stem, InvalidUtf8::LowerAscii);
    result.extension = name.mid(stemEnd + 1);
    return result;
}

PhotoOrder orderPhotos(const std::vector<QByteArray> &selected,
                       const std::vector<CaptureTime> &times, bool byCaptureTime, bool groups,
                       const std::vector<QByteArray> &listed)
{
    const bool haveTimes = byCaptureTime && times.size() == selected.size();
    PhotoOrder order;
    std::vector<Shot> shots;
    std::vector<ShotName> names;
    names.reserve(selected.size());
    QHash<QByteArray, int> shotOfKey;
    for (size_t f = 0; f < selected.size(); ++f) {
        names.push_back(shotName(selected[f]));
        int s = int(shots.size());
        if (groups) {
            const auto it = shotOfKey.constFind(names.back().key);
            if (it != shotOfKey.constEnd())
                s = it.value();
            else
                shotOfKey.insert(names.back().key, s);
        }
        if (s == int(shots.size())) {
            shots.emplace_back();
            shots.back().counter = counterOf(names.back().stem);
        }
        Shot &shot = shots[size_t(s)];
        if (haveTimes) {
            const CaptureTime &t = times[f];
            if (t.source == CaptureSource::FileDate)
                ++order.withoutCaptureTime;
            if (shot.files.empty() || t.source < shot.time.source
                || (t.source == shot.time.source && earlier(t, shot.time)))
                shot.time = t;
        }
        shot.files.push_back(int(f));
    }

    std::vector<int> sequence(shots.size());
    for (size_t s = 0; s < shots.size(); ++s)
        sequence[s] = int(s);
    if (haveTimes) {
        std::vector<int> dated, undated;
        for (int s : sequence)
            (shots[size_t(s)].time.source == CaptureSource::FileDate ? undated : dated)
                .push_back(s);
        std::stable_sort(dated.begin(), dated.end(), [&shots](int a, int b) {
            return earlier(shots[size_t(a)].time, shots[size_t(b)].time);
        });
        for (auto begin = dated.begin(); begin != dated.end();) {
            auto end = begin + 1;
            while (end != dated.end()
                   && sameTime(shots[size_t(*end)].time, shots[size_t(*begin)].time))
                ++end;
            if (end - begin > 1) {
                liftWrappedCounters(shots, begin, end);
                // Shots with a counter first, by counter; shots of one time without one follow.
                std::stable_sort(begin, end, [&shots](int a, int b) {
                    const Shot &x = shots[size_t(a)], &y = shots[size_t(b)];
                    if ((x.counter.width == 0) != (y.counter.width == 0))
                        return x.counter.width != 0;
                    return x.counterKey < y.counterKey;
                });
            }
            begin = end;
        }
        sequence.clear();
        auto d = dated.begin(), u = undated.begin();
        while (d != dated.end() || u != undated.end()) {
            if (u != undated.end()
                && (d == dated.end() || earlier(shots[size_t(*u)].time, shots[size_t(*d)].time)))
                sequence.push_back(*u++);
            else
                sequence.push_back(*d++);
        }
    }

    order.shotCount = int(shots.size());
    order.entries.reserve(selected.size());
    for (size_t place = 0; place < sequence.size(); ++place) {
        for (int f : shots[size_t(sequence[place])].files) {
            const ShotName &n = names[size_t(f)];
            order.entries.push_back(
                {f, int(place), groups && n.doubleExtension ? n.extension : QByteArray()});
        }
    }

    if (groups && !listed.empty()) {
        QSet<QByteArray> chosen;
        for (const QByteArray &name : selected)
            chosen.insert(name);
        for (size_t i = 0; i < listed.size(); ++i) {
            if (!chosen.contains(listed[i]) && shotOfKey.contains(shotName(listed[i]).key))
                order.unselectedOfShots.push_back(int(i));
        }
    }
    return order;
}
