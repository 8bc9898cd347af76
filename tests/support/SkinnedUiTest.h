#pragma once
// A UI test with the built-in skins loaded and one of them active, for the tests of the skinned
// control adapters. Header only: the support library does not link the skin engine, the test
// executables that include this do.
//
// Tests that attach their adapters themselves call KeepDiscoveryAway(): a handler that takes every
// control keeps control discovery away from their forms, and top-level windows of the named plain
// window class get no frame (and so no discovery) of their own. Tests that let discovery do the
// work leave it out.
//
// A derived fixture's TearDown frees its forms first, then calls this TearDown, which destroys
// the plain windows listed in plain_, then frees the skin, the skin manager and the store.

#include "TestApplication.h"

#include "Component.h"
#include "Delegate.h"
#include "WinSkinData.h"
#include "WinSkinDlg.h"
#include "WinSkinStore.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TSkinnedUiTest : public TUiTest {
  protected:
    // Loads the store and makes skin `skinIndex` active; a failure here is fatal for the test
    // (check HasFatalFailure() after calling it from a derived SetUp).
    void SetUpSkin(int skinIndex) {
        TUiTest::SetUp();
        FreeSkinManager();
        store_.reset(new TSkinStore(nullptr));
        LoadSkinStoreResources(*store_, GetModuleHandleA(nullptr));
        ASSERT_GE(store_->Store().Count(), 8);
        skin_.reset(new TSkinData(nullptr));
        skin_->BeginLoading();
        skin_->SetActive(true);
        skin_->LoadFromStore(*store_, skinIndex);
        skin_->EndLoading();
    }
    void SetUp() override { SetUpSkin(1); }

    void KeepDiscoveryAway(std::string plainClass = std::string()) {
        plainClass_ = std::move(plainClass);
        skin_->OnSkinControl = Bind<&TSkinnedUiTest::TakeEveryControl>(this);
        skin_->OnFormSkin = Bind<&TSkinnedUiTest::NoPlainFrames>(this);
    }

    void TearDown() override {
        for (HWND window : plain_)
            if (IsWindow(window))
                DestroyWindow(window);
        plain_.clear();
        skin_.reset();
        FreeSkinManager();
        store_.reset();
        TUiTest::TearDown();
    }

    std::unique_ptr<TSkinStore> store_;
    TOwnedComponent<TSkinData> skin_;
    // Top-level windows of the test's own, destroyed after its forms.
    std::vector<HWND> plain_;

  private:
    void TakeEveryControl(TObject*, TSkinData*, TControl*, TControl* control, const std::string&,
                          TComponent*& skinned) {
        skinned = control;
    }
    void NoPlainFrames(TObject*, const std::string& name, bool& doSkin) {
        if (!plainClass_.empty() && name == plainClass_)
            doSkin = false;
    }

    std::string plainClass_;
};
