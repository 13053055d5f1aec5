/* Declarations shared by C and C++: the product is C, its tests are C++. */
#ifndef QM_DECLS_H
#define QM_DECLS_H

#ifdef __cplusplus
#define QM_BEGIN_DECLS extern "C" {
#define QM_END_DECLS }
#define qm_noreturn [[noreturn]]
#else
#define QM_BEGIN_DECLS
#define QM_END_DECLS
#define qm_noreturn _Noreturn
#endif

#endif
