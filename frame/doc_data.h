// Per-document data: a map from each open document to one record of the module, kept by a
// reactor of the host's document manager that drops a document's record when the document goes.
#pragma once

#include <map>

#include "host/arxHeaders.h"

// The module's record per document. No command keeps anything per document yet.
struct CDocData {};

template <typename T>
class AcApDataManager : public AcApDocManagerReactor {
 public:
  // Registers with the host's document manager when the host has one.
  AcApDataManager() {
    if (AcApDocManager* manager = acDocManagerPtr()) manager->addReactor(this);
  }
  ~AcApDataManager() override {
    if (AcApDocManager* manager = acDocManagerPtr()) manager->removeReactor(this);
  }
  AcApDataManager(const AcApDataManager&) = delete;
  AcApDataManager& operator=(const AcApDataManager&) = delete;

  void documentToBeDestroyed(AcApDocument* document) override { records_.erase(document); }

  size_t size() const { return records_.size(); }

 private:
  std::map<AcApDocument*, T> records_;
};
