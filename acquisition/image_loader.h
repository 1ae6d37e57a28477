#pragma once

#include <QByteArray>

class ReadingSet;

// Puts a logger's memory image into a reading set, as a download or an opened image file does.
namespace imageload {

// The caption prefix of the serial-number labels (the location's is ":    ").
inline constexpr const char *kSerialPrefix = ":     ";

// MemImage, ImageLen, NoOfReadings and RawData from the image (at most the set's buffers hold).
void storeImage(ReadingSet &set, const QByteArray &image);
// Read_Trailer: location and serial captions, interval, time of the newest reading, from the
// image held in the set.
void Read_Trailer(ReadingSet &set);
// Both, then the table: Format_Grid and Fill_Grid for `model`.
void showImage(ReadingSet &set, const QByteArray &image, int model);

} // namespace imageload
