#pragma once

#include <variant>

#include "metafile/dib.h"
#include "metafile/emfplayer.h"
#include "metafile/wmfplayer.h"
#include "picture.h"

// A checked WMF or EMF, played onto the painter at each draw.
class MetafilePicture : public Picture {
public:
    explicit MetafilePicture(std::variant<EmfPlayer, WmfPlayer> player);

    QSize naturalSize() const override;
    void draw(QPainter& painter, const QRect& target) const override;

private:
    std::variant<EmfPlayer, WmfPlayer> m_player;
    mutable DibCache m_bitmaps;
};
