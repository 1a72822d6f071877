// A fresh stand-in host per test with the host's own commands and a new drawing, in which the
// module's routines run as the body of a command, and checkers that read the drawing back
// through the same C interface the module uses.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/ads/host.h"
#include "cad/builtins/builtins.h"
#include "cad/dxf/new_drawing.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"
#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "host/arxHeaders.h"

// The settings a carrier holds, in the order of its extended data.
struct CarrierData {
  std::wstring style;
  std::vector<double> reals;  // chain_spacing, dimline_distance, ext_length, length_factor
  std::vector<short> shorts;  // min_decimals, raised_after
};

class ModuleHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<cad::Host>();
    cad::set_current_host(host_.get());
    host_->transcript().set_output(nullptr);
    cad::register_builtins(*host_);
    host_->set_db(cad::new_drawing());
  }
  void TearDown() override {
    cad::set_current_host(nullptr);
    host_.reset();
  }

  cad::Host& host() { return *host_; }

  // Runs body as one command of the host, as the module's command bodies run.
  cad::CommandResult run(std::function<void()> body) {
    host_->commands().remove("TEST", "MODULETEST");
    cad::CommandDef def;
    def.group = "TEST";
    def.global_name = "MODULETEST";
    def.local_name = "MODULETEST";
    def.body = std::move(body);
    host_->commands().add(std::move(def));
    return host_->run_command("MODULETEST");
  }

  // Replies for the prompts that follow, in the host's script form.
  void replies(const std::string& script) {
    host_->set_reply_source(std::make_unique<cad::ScriptSource>(script, "test"));
  }

  std::string transcript() const { return host_->transcript().text(); }

  // The scripted commands since the start, each as its tokens joined by blanks.
  std::vector<std::string> scripted() const {
    std::vector<std::string> lines;
    for (const std::vector<std::string>& tokens : host_->scripted_log()) {
      std::string line;
      for (const std::string& token : tokens) line += (line.empty() ? "" : " ") + token;
      lines.push_back(line);
    }
    return lines;
  }

  // Main entities of the drawing of one type, in drawing order.
  static std::vector<std::array<int64_t, 2>> entities(const wchar_t* type) {
    std::vector<std::array<int64_t, 2>> found;
    ads_name ent;
    int status = acdbEntNext(nullptr, ent);
    while (status == RTNORM) {
      RbList data(acdbEntGet(ent));
      const resbuf* kind = find_group(data.get(), 0);
      if (kind != nullptr && std::wcscmp(kind->resval.rstring, type) == 0) {
        found.push_back({ent[0], ent[1]});
      }
      ads_name next;
      status = acdbEntNext(ent, next);
      ent[0] = next[0];
      ent[1] = next[1];
    }
    return found;
  }

  // A text group of an entity (-3 with "*" reads every application's data).
  static std::wstring text_group(const std::array<int64_t, 2>& ent, int code,
                                 bool with_xdata = false) {
    RbList apps(new_text_node(RTSTR, L"*"));
    RbList data(acdbEntGetX(ent.data(), with_xdata ? apps.get() : nullptr));
    const resbuf* group = find_group(data.get(), code);
    return group != nullptr && group->resval.rstring != nullptr ? group->resval.rstring : L"";
  }

  static std::array<double, 3> point_group(const std::array<int64_t, 2>& ent, int code) {
    RbList data(acdbEntGet(ent.data()));
    const resbuf* group = find_group(data.get(), code);
    if (group == nullptr) return {1e300, 1e300, 1e300};
    return {group->resval.rpoint[X], group->resval.rpoint[Y], group->resval.rpoint[Z]};
  }

  static short short_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.get().resval.rint;
  }

  static double real_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.get().resval.rreal;
  }

  static std::wstring text_var(const wchar_t* name) {
    RbValue value;
    acedGetVar(name, value.fill());
    return value.text() != nullptr ? value.text() : L"";
  }

  // The carriers of the drawing (INSERTs with settings data).
  static std::vector<std::array<int64_t, 2>> carriers() {
    std::vector<std::array<int64_t, 2>> found;
    for (const auto& insert : entities(L"INSERT")) {
      if (!text_group(insert, 1001, true).empty()) found.push_back(insert);
    }
    return found;
  }

  static CarrierData carrier_data(const std::array<int64_t, 2>& carrier) {
    RbList apps(new_text_node(RTSTR, L"TAV"));
    RbList data(acdbEntGetX(carrier.data(), apps.get()));
    CarrierData out;
    const resbuf* app = find_group(data.get(), 1001);
    EXPECT_NE(app, nullptr);
    for (const resbuf* node = app != nullptr ? app->rbnext : nullptr; node != nullptr;
         node = node->rbnext) {
      if (node->restype == 1000) out.style = node->resval.rstring;
      if (node->restype == 1040) out.reals.push_back(node->resval.rreal);
      if (node->restype == 1070) out.shorts.push_back(node->resval.rint);
    }
    return out;
  }

  // The settings of the only carrier of the drawing.
  static CarrierData only_carrier() {
    const auto found = carriers();
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? CarrierData{} : carrier_data(found.front());
  }

  static void set_real_var(const wchar_t* name, double value) {
    resbuf rb{};
    rb.restype = RTREAL;
    rb.resval.rreal = value;
    acedSetVar(name, &rb);
  }

  static void set_short_var(const wchar_t* name, short value) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = value;
    acedSetVar(name, &rb);
  }

 private:
  std::unique_ptr<cad::Host> host_;
};
