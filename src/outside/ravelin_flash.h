#pragma once
//! The host's flash control: the options of the host's own flash, and the provider that the
//! property callback of a calculation offers to reach it.
//!
//! Options are keyed by a host property id (a name registered in the property registry, such
//! as "I_O_PVSAT") and a flash type (tagFlashTypeEnum values, 0 for every flash type).

#include "comlite/dispatch.h"

//! Offered by the property callback of a calculation request.
struct IRvlFlashControlProvider : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("60B40BF4-93DA-4189-8EBE-BE7373EE8773");
  //! The flash control object (IRvlFlashControl), or null when the host offers none.
  /*  7 */ virtual HRESULT GetFlashControl(/*[out]*/ IDispatch** control) = 0;
};

struct IRvlFlashControl : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("F3935913-B603-4F90-A422-F504A7608453");
  /*  7 */ virtual HRESULT get_MaxIterations(/*[out]*/ LONG* count) = 0;
  //! RETURNS: E_INVALIDARG below 1.
  /*  8 */ virtual HRESULT put_MaxIterations(/*[in]*/ LONG count) = 0;
  /*  9 */ virtual HRESULT get_Tolerance(/*[out]*/ double* tolerance) = 0;
  //! RETURNS: E_INVALIDARG unless finite and above 0.
  /* 10 */ virtual HRESULT put_Tolerance(/*[in]*/ double tolerance) = 0;
  /* 11 */ virtual HRESULT get_UseInitialGuess(/*[out]*/ VARIANT_BOOL* use) = 0;
  /* 12 */ virtual HRESULT put_UseInitialGuess(/*[in]*/ VARIANT_BOOL use) = 0;
  //! Number of options set.
  /* 13 */ virtual HRESULT get_OptionCount(/*[out]*/ LONG* count) = 0;
  //! The index-th option set, in the order of (option id, flash type). RETURNS:
  //! DISP_E_BADINDEX.
  /* 14 */ virtual HRESULT GetOptionAt(/*[in]*/ LONG index, /*[out]*/ LONG* optionId,
                                       /*[out]*/ LONG* flashType, /*[out]*/ double* value) = 0;
  //! The option for a flash type, else its value for every flash type. RETURNS:
  //! RAVELIN_E_NOVALUE when neither is set.
  /* 15 */ virtual HRESULT GetOption(/*[in]*/ LONG optionId, /*[in]*/ LONG flashType,
                                     /*[out]*/ double* value) = 0;
  /* 16 */ virtual HRESULT HasOption(/*[in]*/ LONG optionId, /*[in]*/ LONG flashType,
                                     /*[out]*/ VARIANT_BOOL* present) = 0;
  /* 17 */ virtual HRESULT ResetOptions() = 0;
  //! Sets an option. `flashType` 0 applies to every flash type; `phase` 0 to every phase (the
  //! host keeps no per-phase options and refuses others); both reserved arguments must be 0.
  //! RETURNS: E_INVALIDARG for an unknown option id, a flash type outside 0 to 12, a non-zero
  //! phase or reserved argument, or a value that is not finite; RAVELIN_E_LOCKED while the
  //! host runs a flash with these options.
  /* 18 */ virtual HRESULT SetOption(/*[in]*/ LONG optionId, /*[in]*/ double value,
                                     /*[in]*/ LONG flashType, /*[in]*/ LONG phase,
                                     /*[in]*/ LONG reserved1, /*[in]*/ LONG reserved2) = 0;
};
