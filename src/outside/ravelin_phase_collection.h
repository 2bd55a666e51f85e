#pragma once
//! The host's phase collection: an overall phase and the phases a flash fills, with the number
//! of phases present; and the interface that reorders its phases.

#include "comlite/dispatch.h"

struct IPhaseCollection : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("FD942E32-8ED8-40DE-A472-5A36F924D7C5");
  //! Number of phases present.
  /*  7 */ virtual HRESULT get_NumbOfPhases(/*[out]*/ LONG* count) = 0;
  //! RETURNS: E_INVALIDARG below 0 or above the number of phase objects the collection holds.
  /*  8 */ virtual HRESULT put_NumbOfPhases(/*[in]*/ LONG count) = 0;
  //! The phase object at a 0-based position (IBasicPhase). RETURNS: DISP_E_BADINDEX outside
  //! the phase objects held.
  /*  9 */ virtual HRESULT GetPhase(/*[in]*/ LONG index, /*[out]*/ IDispatch** phase) = 0;
  //! Kind 1 (overall) with index 0 gives the overall phase; kind 0 the index-th phase object;
  //! any other kind (a phase type code) the index-th phase object whose type is that code.
  //! RETURNS: S_OK with found true, or S_FALSE with found false and a null phase when there is
  //! no such phase; E_INVALIDARG for a negative index or a kind outside 0 to 10.
  /* 10 */ virtual HRESULT GetPhaseOfKind(/*[in]*/ LONG kind, /*[in]*/ LONG index,
                                          /*[out]*/ IDispatch** phase,
                                          /*[out, retval]*/ VARIANT_BOOL* found) = 0;
  //! Number of compounds of the fluid package.
  /* 11 */ virtual HRESULT get_NumbOfComps(/*[out]*/ LONG* count) = 0;
};

//! Reordering of the phase objects of a collection.
struct IRvlPhaseMove : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("75052F8F-71FC-4B61-B81A-622810917E6F");
  //! Takes the phase at `source` out and puts it back at `target`; the phases between move one
  //! place. RETURNS: DISP_E_BADINDEX when either position is outside the phase objects.
  /*  7 */ virtual HRESULT MovePhase(/*[in]*/ LONG target, /*[in]*/ LONG source) = 0;
};
