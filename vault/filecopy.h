#pragma once

#include <QString>
#include <QtGlobal>

#include "kaldrinoerror.h"

namespace vault {

// Why a copy did not land: a short French sentence the user can act on.
class FileCopyError : public KaldrinoError {
public:
    using KaldrinoError::KaldrinoError;
};

// Larger than any picture worth clicking on.
inline constexpr qint64 kMaxCopySize = qint64(256) << 20;

// Copies source over target through the vault's atomic replacement: target
// is replaced whole or not at all, and ends readable and writable by its
// owner only. Source is opened once, without waiting, and must be a regular
// file of at most kMaxCopySize bytes: a pipe, a device or a folder is
// refused before anything is read. When target already is source (the same
// file), nothing is written. A link or a folder at target is refused, never
// followed. Throws FileCopyError; target is then as it was.
void copyFileOver(const QString& source, const QString& target);

} // namespace vault
