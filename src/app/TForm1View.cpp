// How the trend view follows the record's life.
#include "app/TForm1.h"

void TForm1::ResetViewForNewRecord() { ScrollBar1->hide(); }

void TForm1::ShowRecordFromItsEnd() { RepaintTrend(); }
