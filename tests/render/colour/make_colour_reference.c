/* Writes colour_reference.inc: four RGB profiles made by Little CMS (a
 * matrix/curves display profile, 16-bit table scanner profiles with XYZ and
 * Lab connection spaces, and an 8-bit table one with Lab) and what Little CMS turns a grid of test colours
 * into through each of them to sRGB. Our own transforms are checked against
 * these numbers, so the two engines are written apart.
 *
 * Build and run on the build machine (Debian package liblcms2-dev):
 *   cc -O2 make_colour_reference.c -llcms2 -lm -o make_colour_reference
 *   ./make_colour_reference > colour_reference.inc
 */
#include <lcms2.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

static const int kLevels[] = {0, 1, 9, 30, 64, 100, 128, 160, 200, 230, 254, 255};
#define LEVEL_COUNT ((int)(sizeof kLevels / sizeof kLevels[0]))

/* Wide-gamut primaries so that the transform to sRGB is far from identity;
 * the table profiles keep inside sRGB, since a grid of sRGB values clamps
 * its nodes and so cannot follow colours outside it between the nodes. */
static const cmsCIExyYTRIPLE kWidePrimaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
static const cmsCIExyYTRIPLE kInnerPrimaries = {{0.60, 0.34, 1.0}, {0.31, 0.57, 1.0}, {0.16, 0.08, 1.0}};

static cmsHPROFILE MatrixProfile(double gamma, const cmsCIExyYTRIPLE* primaries)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve* curve = cmsBuildGamma(NULL, gamma);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, primaries, curves);
    cmsFreeToneCurve(curve);
    cmsSetProfileVersion(profile, 2.1);
    return profile;
}

struct Sampler {
    cmsHTRANSFORM toPcs;
};

static int Sample(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    struct Sampler* sampler = cargo;
    cmsDoTransform(sampler->toPcs, in, out, 1);
    return 1;
}

/* A scanner profile whose A2B0 is input curves, a 17-point grid sampled from
 * the matrix profile (gamma 1.0 behind the curves) and identity output curves;
 * saved as an 8-bit table ("mft1") when asked, else a 16-bit one. */
static cmsHPROFILE TableProfile(int lab, int eightBit)
{
    cmsHPROFILE linear = MatrixProfile(1.0, &kInnerPrimaries);
    cmsHPROFILE pcs = lab ? cmsCreateLab2Profile(NULL) : cmsCreateXYZProfile();
    cmsHTRANSFORM toPcs = cmsCreateTransform(linear, TYPE_RGB_16, pcs, lab ? TYPE_Lab_16 : TYPE_XYZ_16,
                                             INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
    struct Sampler sampler = {toPcs};
    cmsPipeline* lut = cmsPipelineAlloc(NULL, 3, 3);
    /* An 8-bit table holds its curves as 256 entries each. */
    cmsUInt16Number gammaTable[256], identityTable[256];
    for (int i = 0; i < 256; ++i) {
        gammaTable[i] = (cmsUInt16Number)floor(65535.0 * pow(i / 255.0, 2.2) + 0.5);
        identityTable[i] = (cmsUInt16Number)(i * 257);
    }
    cmsToneCurve* gamma = eightBit ? cmsBuildTabulatedToneCurve16(NULL, 256, gammaTable) : cmsBuildGamma(NULL, 2.2);
    cmsToneCurve* identity = eightBit ? cmsBuildTabulatedToneCurve16(NULL, 256, identityTable) : NULL;
    cmsToneCurve* in[3] = {gamma, gamma, gamma};
    cmsToneCurve* out[3] = {identity, identity, identity};
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(NULL, 3, in));
    cmsStage* grid = cmsStageAllocCLut16bit(NULL, 17, 3, 3, NULL);
    cmsStageSampleCLut16bit(grid, Sample, &sampler, 0);
    cmsPipelineInsertStage(lut, cmsAT_END, grid);
    cmsPipelineInsertStage(lut, cmsAT_END, cmsStageAllocToneCurves(NULL, 3, eightBit ? out : NULL));
    cmsPipelineSetSaveAs8bitsFlag(lut, eightBit);
    cmsFreeToneCurve(gamma);
    if (identity != NULL)
        cmsFreeToneCurve(identity);

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(NULL);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigInputClass);
    cmsSetColorSpace(profile, cmsSigRgbData);
    cmsSetPCS(profile, lab ? cmsSigLabData : cmsSigXYZData);
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsPipelineFree(lut);
    cmsDeleteTransform(toPcs);
    cmsCloseProfile(pcs);
    cmsCloseProfile(linear);
    return profile;
}

static void Emit(const char* name, cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, NULL, &size);
    unsigned char* bytes = malloc(size);
    cmsSaveProfileToMem(profile, bytes, &size);
    printf("const unsigned char k%sProfile[%u] = {", name, size);
    for (cmsUInt32Number i = 0; i < size; ++i)
        printf("%s%u,", i % 24 == 0 ? "\n    " : "", bytes[i]);
    printf("\n};\n");

    cmsHPROFILE reopened = cmsOpenProfileFromMem(bytes, size);
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = cmsCreateTransform(reopened, TYPE_RGB_8, srgb, TYPE_RGB_8,
                                                 INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
    printf("const unsigned char k%sExpected[%d][6] = {\n", name, LEVEL_COUNT * LEVEL_COUNT * LEVEL_COUNT);
    for (int r = 0; r < LEVEL_COUNT; ++r)
        for (int g = 0; g < LEVEL_COUNT; ++g)
            for (int b = 0; b < LEVEL_COUNT; ++b) {
                unsigned char in[3] = {kLevels[r], kLevels[g], kLevels[b]}, out[3];
                cmsDoTransform(transform, in, out, 1);
                printf("    {%u, %u, %u, %u, %u, %u},\n", in[0], in[1], in[2], out[0], out[1], out[2]);
            }
    printf("};\n");
    cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
    cmsCloseProfile(reopened);
    free(bytes);
}

int main(void)
{
    printf("// Made by make_colour_reference.c with Little CMS %d; do not edit.\n", cmsGetEncodedCMMversion());
    cmsHPROFILE matrix = MatrixProfile(1.8, &kWidePrimaries);
    Emit("Matrix", matrix);
    cmsCloseProfile(matrix);
    cmsHPROFILE xyzTable = TableProfile(0, 0);
    Emit("XyzTable", xyzTable);
    cmsCloseProfile(xyzTable);
    cmsHPROFILE labTable = TableProfile(1, 0);
    Emit("LabTable", labTable);
    cmsCloseProfile(labTable);
    cmsHPROFILE eightBitTable = TableProfile(1, 1);
    Emit("EightBitTable", eightBitTable);
    cmsCloseProfile(eightBitTable);
    return 0;
}
