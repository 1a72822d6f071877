// The stand-in's version of the real SDK's AcApDMgr.h: a module's data per open document, kept
// by a reactor of the host's document manager that drops a document's data when the document
// goes.
#pragma once

#include <map>

#include "arx.h"

template <class T>
class AcApDataManager : public AcApDocManagerReactor {
 public:
  AcApDataManager() { acDocManager->addReactor(this); }
  ~AcApDataManager() {
    if (acDocManager != NULL) acDocManager->removeReactor(this);
  }
  AcApDataManager(const AcApDataManager&) = delete;
  AcApDataManager& operator=(const AcApDataManager&) = delete;

  void documentToBeDestroyed(AcApDocument* pDoc) override { m_dataMap.erase(pDoc); }

  // The data of pDoc, made when first asked for.
  T& docData(AcApDocument* pDoc) { return m_dataMap[pDoc]; }
  T& docData() { return docData(acDocManager->curDocument()); }

 private:
  std::map<AcApDocument*, T> m_dataMap;
};
