#include "ClockMain.h"

TimeInf::TimeInf() : Value{} {}

void TimeInf::Update() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  Set(now);
}

void TimeInf::Set(const SYSTEMTIME& Now) {
  Value[0] = static_cast<unsigned short>(Now.wMonth / 10);
  Value[1] = static_cast<unsigned short>(Now.wMonth % 10);
  Value[2] = 0;  // the separator has one state
  Value[3] = static_cast<unsigned short>(Now.wDay / 10);
  Value[4] = static_cast<unsigned short>(Now.wDay % 10);
  Value[5] = Now.wDayOfWeek;  // 0 = Sunday
  Value[6] = static_cast<unsigned short>(Now.wHour / 10);
  Value[7] = static_cast<unsigned short>(Now.wHour % 10);
  Value[8] = Now.wMilliseconds < 500 ? 1 : 0;
  Value[9] = static_cast<unsigned short>(Now.wMinute / 10);
  Value[10] = static_cast<unsigned short>(Now.wMinute % 10);
}
