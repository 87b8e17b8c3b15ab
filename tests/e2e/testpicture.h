#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <vector>

// The picture the runs click on: 1600 x 1200, larger than a 1024 x 768
// display, with four details far apart that a person would pick.
inline constexpr QSize kPictureSize(1600, 1200);

// Where the details lie in the picture file's pixels, in clicking order.
std::vector<QPoint> pictureDetails();

// Draws the picture and saves it as a JPEG; throws when it cannot.
void makeTestPicture(const QString& path);

// Where the click-secret screen shows a picture: natural size when it fits,
// otherwise the width shrinks one pixel at a time, the height following it
// rounded half to even, until both fit; then centred.
QSize fittedSize(QSize natural, QSize screen);
QPoint fittedOrigin(QSize fitted, QSize screen);

// A point of the picture file in the shown picture's own pixels, the
// coordinates the screen records.
QPoint inShownPicture(QPoint inFile, QSize natural, QSize fitted);
