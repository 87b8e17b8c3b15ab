#include "metafile/metafilepicture.h"

MetafilePicture::MetafilePicture(std::variant<EmfPlayer, WmfPlayer> player)
    : m_player(std::move(player))
{
}

QSize MetafilePicture::naturalSize() const
{
    return std::visit([](const auto& player) { return player.naturalSize(); }, m_player);
}

void MetafilePicture::draw(QPainter& painter, const QRect& target) const
{
    std::visit([&](const auto& player) { player.render(&painter, QRectF(target), &m_bitmaps); }, m_player);
}
