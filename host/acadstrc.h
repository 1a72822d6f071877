// The status the host's object interface answers with (the real SDK's acadstrc.h): the values
// the module and the stand-in host use, numbered as in the SDK.
#pragma once

struct Acad {
  enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet = 1,
    eInvalidInput = 3,
    eOutOfMemory = 6,
    eNullObjectId = 16,
    eKeyNotFound = 22,
    eDuplicateKey = 23,
    eInvalidAdsName = 31,
    eNotOpenForWrite = 45,
    eWasErased = 80,
  };
};
