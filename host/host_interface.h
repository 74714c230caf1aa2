// The binary interface between the host interpreter and its plug-ins.
// Every plug-in of this project and every host that loads them uses this
// header; the layout is fixed, so each entry's slot is checked below.
#ifndef HOST_INTERFACE_H
#define HOST_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define HOST_CALL __cdecl
#else
#define HOST_CALL
#endif

#if defined(_WIN32)
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// A pointer-wide signed word: object references and integers alike.
typedef intptr_t HostWord;

// Entries are at fixed slots of pointer size; gaps are entries no plug-in
// of ours calls, so a host may leave them null.
struct HostInterface {
    HostWord(HOST_CALL *interfaceMinorVersion)(void);                 // 0
    HostWord(HOST_CALL *interfaceMajorVersion)(void);                 // 1
    HostWord(HOST_CALL *popStack)(HostWord count);                    // 2
    HostWord(HOST_CALL *popAndPush)(HostWord count, HostWord object); // 3
    HostWord(HOST_CALL *pushObject)(HostWord object);                 // 4
    void *unused5to7[3];
    double(HOST_CALL *floatArgAt)(HostWord depth);     // 8
    HostWord(HOST_CALL *integerArgAt)(HostWord depth); // 9
    HostWord(HOST_CALL *objectArgAt)(HostWord depth);  // 10
    HostWord(HOST_CALL *valueAt)(HostWord depth);      // 11
    void *unused12to17[6];
    HostWord(HOST_CALL *integerSlotOf)(HostWord index, HostWord object); // 18
    HostWord(HOST_CALL *slotOf)(HostWord index, HostWord object);        // 19
    void *unused20to21[2];
    void *(HOST_CALL *firstWordOf)(HostWord object); // 22
    void *unused23to28[6];
    HostWord(HOST_CALL *slotCountOf)(HostWord object); // 29
    void *unused30to43[14];
    HostWord(HOST_CALL *isWordObject)(HostWord object); // 44
    void *unused45;
    HostWord(HOST_CALL *booleanOf)(HostWord object); // 46
    void *unused47;
    HostWord(HOST_CALL *newFloat)(double value);           // 48
    double(HOST_CALL *floatOf)(HostWord object);           // 49
    HostWord(HOST_CALL *newSmallInteger)(HostWord value);  // 50
    void *unused51;
    HostWord(HOST_CALL *newPositiveInteger)(uint32_t value); // 52
    void *unused53to75[23];
    HostWord(HOST_CALL *hasFailed)(void); // 76
    void *unused77to79[3];
    HostWord(HOST_CALL *fail)(void); // 80
    void *unused81;
    HostWord(HOST_CALL *signalSemaphore)(HostWord index); // 82
    void *unused83to102[20];
    void *(HOST_CALL *lookupHostSymbol)(const char *name, const char *module); // 103
};

#define HOST_SLOT_CHECK(entry, slot) \
    static_assert(offsetof(HostInterface, entry) == (slot) * sizeof(void *), #entry " must sit at slot " #slot)
HOST_SLOT_CHECK(interfaceMinorVersion, 0);
HOST_SLOT_CHECK(interfaceMajorVersion, 1);
HOST_SLOT_CHECK(popStack, 2);
HOST_SLOT_CHECK(popAndPush, 3);
HOST_SLOT_CHECK(pushObject, 4);
HOST_SLOT_CHECK(floatArgAt, 8);
HOST_SLOT_CHECK(integerArgAt, 9);
HOST_SLOT_CHECK(objectArgAt, 10);
HOST_SLOT_CHECK(valueAt, 11);
HOST_SLOT_CHECK(integerSlotOf, 18);
HOST_SLOT_CHECK(slotOf, 19);
HOST_SLOT_CHECK(firstWordOf, 22);
HOST_SLOT_CHECK(slotCountOf, 29);
HOST_SLOT_CHECK(isWordObject, 44);
HOST_SLOT_CHECK(booleanOf, 46);
HOST_SLOT_CHECK(newFloat, 48);
HOST_SLOT_CHECK(floatOf, 49);
HOST_SLOT_CHECK(newSmallInteger, 50);
HOST_SLOT_CHECK(newPositiveInteger, 52);
HOST_SLOT_CHECK(hasFailed, 76);
HOST_SLOT_CHECK(fail, 80);
HOST_SLOT_CHECK(signalSemaphore, 82);
HOST_SLOT_CHECK(lookupHostSymbol, 103);
#undef HOST_SLOT_CHECK

// Immediate integers carry a 1 in the low bit; the value sits above it.
inline bool hostIsImmediate(HostWord object) { return (object & 1) != 0; }
inline HostWord hostImmediateValue(HostWord object) { return object >> 1; }

#endif
