#pragma once

#include "platform/core/failure.h"
#include "platform/core/nativefiles.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace velmora {

// The one routine for both directions of the stored test form: the title
// line up to and including the first CR LF pair is copied unchanged,
// every later byte is complemented, and one byte more than the input had
// is written: the complement of the byte written last.
//
// `path` names the input on entry and holds the path written on return:
// `outputPath` when given, else `path` + ".tmp". A given output is written
// as editors write: beside it first, then renamed over it when complete,
// so a file already there stays whole until the new one is; only a file
// is ever replaced (a folder or device named as the output is failure 75).
// The temporary copy (no `outputPath`) is created afresh: whatever stands
// at that name (a file, a link) is removed first and the copy is created
// exclusively, so a link planted there is never followed. Returns the
// failure instead of ending the program; an input without a CR LF pair
// within the longest line the loader reads is failure 62 naming the output
// path. On any failure no output is left (a given output keeps what it
// held); an output that names the input itself is refused (75) before
// anything is touched.
std::optional<Failure> ScrambleFile(QString &path, const std::optional<QString> &outputPath = std::nullopt);

// Where a plain copy of a chosen test is written.
struct CopyPlace final
{
    QByteArray nativePath; // the name as the system has it (bytes, not always text)
    QString shownPath;     // what messages name: the test's path + ".tmp"
    // The names beside it taken in turn while other programs hold the ones
    // before: the n-th for n from 1, empty when there is none more.
    std::function<QByteArray(int n)> otherName = {};
};

// Another place for the copy, asked for when the first one's folder takes
// no new file; nullopt when there is none.
using CopyFallback = std::function<std::optional<CopyPlace>()>;

// Where ScrambleFile wrote the copy of a test held in memory.
struct ScrambledCopy final
{
    std::optional<Failure> failure; // none: the copy is complete
    QByteArray writtenPath;         // the copy's native name; empty when none is left
    // The copy, open for reading back and held while it stands; removed
    // when this goes, or before by whoever loads it.
    std::unique_ptr<HeldFile> copy;
};

// ScrambleFile as the program runs it on a chosen test: the stored test
// read from `stored` block by block, transformed and written as the copy
// at `copy`, created afresh and readable by its owner alone from its first
// byte, held while it stands (HeldFile); where other programs hold that
// name, at the next of `copy.otherName`. When that folder refuses new
// files (failures 70 and 75, every name taken) or its disk is full (61),
// the copy goes where `elsewhere` says, written from the test's first byte
// again. Nothing is created for a test whose title no CR LF pair ends in
// time (62), nor for a copy that would name the input itself
// (`nativeInputPath`, 75). A test that brings more than `limit` bytes is
// failure 7. On a failure no copy is left; failures name `copy.shownPath`.
ScrambledCopy ScrambleFile(QIODevice &stored, const QByteArray &nativeInputPath, const CopyPlace &copy,
                           const CopyFallback &elsewhere = {},
                           qint64 limit = std::numeric_limits<qint64>::max());

// The transformation from any open device (a file, a pipe, a buffer; read
// block by block, so of any size) into `outputPath`, with the output rules
// of ScrambleFile for a given output. `inputPath`, when the input is a
// file, guards against writing over it.
std::optional<Failure> scrambleToFile(QIODevice &in, const QString &outputPath, const QString &inputPath = {});

// Where the title line of either form ends: just after the first CR LF
// pair, which the transformation leaves as it is; nullopt when there is
// no pair at all.
std::optional<qsizetype> titleEnd(QByteArrayView bytes);

// The transformation of bytes in memory, one byte longer on return. The
// bytes are transformed where they lie: a caller done with them moves them
// in and no copy is made. Empty when they cannot be transformed (no CR LF
// pair ends the title within the longest line the loader reads: failure 62
// wherever a failure is reported).
QByteArray scrambleBytes(QByteArray bytes);

// The plain text a stored test was made from: the stored bytes
// unscrambled, less the two bytes that unscrambling appends. nullopt when
// they cannot be unscrambled (no CR LF pair ends the title in time).
std::optional<QByteArray> plainTextOfStored(QByteArrayView stored);

} // namespace velmora
