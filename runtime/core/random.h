// The runtime's two seeded pseudo-random streams: uniform on (0, 1) and
// standard normal. Both draw on one combined generator of L'Ecuyer with a
// Bays-Durham shuffle whose second generator and shuffle table they share,
// so a draw from one stream changes what the other yields next.
#pragma once

// The generator step on `state` (seeds itself first when state <= 0; a
// seed of 0 acts as 1). Returns a double in [1/2147483563, 1 - 2^-53].
double ran2(int* state);
// Marsaglia's polar method over ran2; keeps the second deviate for the
// next call.
double gasdev(int* state);

double randu();            // next uniform deviate
int srandu(int seed);      // seeds the uniform stream at its next draw; returns |seed|
int randu_seed();          // |state| of the uniform stream
double randn();            // next standard normal deviate
int srandn(int seed);      // as srandu; a waiting deviate is kept
int randn_seed();

// An independent normal deviate from the platform's drand48 (never seeded
// here): cos(2 pi u2) * (sqrt(-2 ln u1) * sd) + mean.
double normal_rand(double mean, double sd);
