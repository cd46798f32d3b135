// Particle effects: reading, emission counts and rhythms, lifetimes, live values,
// initial particles along a path, copies, and the errors of effect files.
#include "effects/QelFXParticles.h"

#include "foundation/MemoryStream.h"
#include "foundation/Random.h"

#include <gtest/gtest.h>
#include <set>

namespace {

// An effect with one moving template and one system whose settings are given as XML.
std::string EffectXml(const std::string& systemChildren, const std::string& effectAttributes = "",
    const std::string& parameters = "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPath\"/>")
{
    return "<ParticleEffect Name=\"efTest\"" + effectAttributes +
        ">"
        "<Functions><Function Name=\"FPath\" Dim=\"2\" Type=\"piecewise\">"
        "<Script>Set Linear; Path (0,0) (200,0); Ending Stop (200,0);</Script></Function>"
        "<Function Name=\"FFade\" Dim=\"1\" Type=\"piecewise\"><Script>Set Linear; Path (1) (0);</Script></Function>"
        "</Functions>"
        "<Morphs><Morph Name=\"MPath\" Dim=\"2\"><Functions><Function Name=\"FPath\"/></Functions></Morph>"
        "<Morph Name=\"MFade\" Dim=\"1\"><Functions><Function Name=\"FFade\"/></Functions></Morph></Morphs>"
        "<Particles><Particle Name=\"PDot\">" +
        parameters +
        "</Particle></Particles>"
        "<ParticleSystems><ParticleSystem Name=\"SDots\" Template=\"PDot\">" +
        systemChildren + "<Resource>Dot.png</Resource></ParticleSystem></ParticleSystems></ParticleEffect>";
}

struct TRun {
    TRandom random {12345};
    TQelParticleEffect effect;
    std::vector<uint32_t> throwTimes;  // birth times of new particles, once each

    explicit TRun(const std::string& xml, uint32_t start = 0)
    {
        effect.Random = &random;
        effect.LoadFromText(xml);
        effect.Start(start);
        effect.Validate();
        Record();
    }
    TQelParticleSystem& System() { return *effect.System(0); }
    void Record()
    {
        std::set<uint32_t> seen(throwTimes.begin(), throwTimes.end());
        for (const auto& p : System().Particles)
            if (!seen.count(p->BirthTime)) {
                throwTimes.push_back(p->BirthTime);
                seen.insert(p->BirthTime);
            }
    }
    void TickEvery(uint32_t step, uint32_t from, uint32_t to)
    {
        for (uint32_t t = from; t <= to; t += step) {
            effect.Tick(t);
            Record();
        }
    }
};

TEST(ParticleEmission, ThrowsByIntervalWithoutBursts)
{
    TRun run(EffectXml("<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>2</ParticlesPerThrow>"));
    run.TickEvery(50, 0, 1000);
    EXPECT_EQ(run.System().Count(), 20);
    EXPECT_EQ(run.throwTimes, (std::vector<uint32_t> {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
}

TEST(ParticleEmission, AnEffectStartedOnTheGameClockThrowsAtOnce)
{
    TRun run(EffectXml("<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>1</ParticlesPerThrow>"), 10000);
    run.TickEvery(50, 10000, 10300);
    EXPECT_EQ(run.throwTimes, (std::vector<uint32_t> {10000, 10100, 10200, 10300}));
}

TEST(ParticleEmission, BurstsPauseCountedFromTheLastThrow)
{
    TRun run(EffectXml("<EmissionInterval>1</EmissionInterval><ThrowsPerEmission>3</ThrowsPerEmission>"
                       "<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>1</ParticlesPerThrow>"));
    run.TickEvery(50, 0, 2600);
    EXPECT_EQ(run.throwTimes, (std::vector<uint32_t> {1000, 1100, 1200, 2200, 2300, 2400}));
}

TEST(ParticleEmission, AThrowBeyondMaxParticlesIsSkippedWhole)
{
    TRun run(EffectXml("<InitParticles>4</InitParticles><MaxParticles>5</MaxParticles>"
                       "<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>2</ParticlesPerThrow>"));
    EXPECT_EQ(run.System().Count(), 4);
    run.TickEvery(100, 100, 1000);
    EXPECT_EQ(run.System().Count(), 4);
}

TEST(ParticleEmission, HugeCountsAreCapped)
{
    TRun run(EffectXml("<InitParticles>2000000000</InitParticles><ParticlesPerThrow>2147483647</ParticlesPerThrow>"
                       "<ThrowInterval>0.1</ThrowInterval>"));
    EXPECT_EQ(run.System().Count(), TQelParticleSystem::kMaxParticles);
    run.effect.Tick(100);
    EXPECT_EQ(run.System().Count(), TQelParticleSystem::kMaxParticles);
}

TEST(ParticleLifetime, OldParticlesLeaveAndMinParticlesStay)
{
    TRun run(EffectXml("<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>1</ParticlesPerThrow>"
                       "<MaxLifetime>0.3</MaxLifetime>"));
    run.TickEvery(100, 100, 1000);
    // Born at 700..1000; the one born at 600 is 400 ms old and gone.
    ASSERT_EQ(run.System().Count(), 4);
    EXPECT_EQ(run.System().Particles.front()->BirthTime, 700u);

    TRun kept(EffectXml("<InitParticles>5</InitParticles><MaxLifetime>0.1</MaxLifetime><MinParticles>3</MinParticles>"));
    kept.TickEvery(100, 100, 2000);
    EXPECT_EQ(kept.System().Count(), 3);
}

TEST(ParticleLifetime, LiveValueKillsAndDeadParticlesStopMoving)
{
    TRun run(EffectXml("<InitParticles>3</InitParticles><MinParticles>3</MinParticles>", "",
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPath\"><LiveValue>(0,-1)-(100,1)</LiveValue></Parameter>"));
    run.effect.Tick(400);
    EXPECT_FALSE(run.System().Particles[0]->Dead);
    EXPECT_FLOAT_EQ(run.System().Particles[0]->Value(ppPosition).X, 80);
    run.effect.Tick(600);  // at x 120: beyond the live range
    const TQelParticle& p = *run.System().Particles[0];
    EXPECT_TRUE(p.Dead);
    EXPECT_EQ(run.System().Count(), 3);  // MinParticles keeps even dead ones
    run.effect.Tick(700);
    EXPECT_EQ(p.CurrentTime, 600u);
    EXPECT_FLOAT_EQ(p.Value(ppPosition).X, 80);
}

TEST(ParticleLifetime, EffectFinishesByLifetimeOrParticleCount)
{
    TRun timed(EffectXml("<InitParticles>1</InitParticles>", " Lifetime=\"1.5\""), 10000);
    timed.effect.Tick(11499);
    EXPECT_FALSE(timed.effect.Finished());
    timed.effect.Tick(11500);
    EXPECT_TRUE(timed.effect.Finished());

    TRun counted(EffectXml("<InitParticles>2</InitParticles><MaxLifetime>0.5</MaxLifetime>", " MinParticles=\"0\""));
    counted.effect.Tick(400);
    EXPECT_FALSE(counted.effect.Finished());
    counted.effect.Tick(600);
    EXPECT_TRUE(counted.effect.Finished());
    EXPECT_EQ(counted.effect.ParticleCount(), 0);
}

TEST(ParticleLifetime, NothingHappensBeforeTheStart)
{
    TRun run(EffectXml("<ThrowInterval>0.1</ThrowInterval><ParticlesPerThrow>1</ParticlesPerThrow>"), 5000);
    run.effect.Tick(4000);
    EXPECT_EQ(run.System().Count(), 0);
    EXPECT_EQ(run.effect.CurrentTime(), 5000u);
}

TEST(InitialParticles, DivideThePathEvenly)
{
    TRun run(EffectXml("<InitParticles>4</InitParticles><InitInterval>/4</InitInterval>"));
    ASSERT_EQ(run.System().Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(run.System().Particles[static_cast<size_t>(i)]->TimeShift, 250 * i);
        EXPECT_FLOAT_EQ(run.System().Particles[static_cast<size_t>(i)]->Value(ppPosition).X, 50.0f * i);
        EXPECT_EQ(run.System().Particles[static_cast<size_t>(i)]->Name(), "PDot" + std::to_string(i));
    }
    TRun zero(EffectXml("<InitParticles>3</InitParticles><InitInterval>/0</InitInterval>"));
    for (const auto& p : zero.System().Particles)
        EXPECT_EQ(p->TimeShift, 0);
    TRun seconds(EffectXml("<InitParticles>2</InitParticles><InitInterval>0.3</InitInterval>"));
    EXPECT_EQ(seconds.System().Particles[1]->TimeShift, 300);
}

TEST(ParticleTemplates, StandardParametersAndRedefinition)
{
    TRun run(EffectXml("<InitParticles>1</InitParticles><Position>(10,20)</Position>", "",
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"MPath\"/><Parameter Name=\"alpha\" Dim=\"1\" Morph=\"MFade\"/>"
        "<Parameter Name=\"FramePerLine\" Dim=\"1\"/>"));
    const TQelParticleTemplate& t = *run.effect.TemplateByName("pdot");
    ASSERT_EQ(t.Params.size(), 7u);
    EXPECT_EQ(t.Params[ppAlpha].Name, "Alpha");
    EXPECT_EQ(t.ParamIndex("FramePerLine"), 6);
    run.effect.Tick(500);
    const TQelParticle& p = *run.System().Particles[0];
    EXPECT_FLOAT_EQ(p.Value(ppAlpha).X, 0.5f);
    EXPECT_EQ(p.Value(ppColor), (TQelVector {255, 255, 255}));
    EXPECT_EQ(p.Value(ppSize), (TQelVector {1, 1, 1}));
    EXPECT_EQ(p.Value(ppPosition), (TQelVector {110, 20, 0}));  // the system's position added
}

TEST(ParticleTemplates, ClonedMorphsDrawTheirOwnValuesFromTheSeed)
{
    const std::string xml =
        "<ParticleEffect Name=\"efSpark\"><Functions>"
        "<Function Name=\"FFly\" Dim=\"2\" Type=\"parabolic\"><StartVelocity>(0,-50)</StartVelocity>"
        "<Acceleration>(0,100)</Acceleration></Function></Functions>"
        "<Morphs><Morph Name=\"MFly\" Dim=\"2\"><Functions><Function Name=\"FFly\" Clone=\"true\"/></Functions>"
        "<Properties><Property Name=\"FFly.StartVelocity\">(-80,-120)..(80,-40)</Property>"
        "<Property Name=\"Position\">(400,300)</Property></Properties></Morph></Morphs>"
        "<Particles><Particle Name=\"PSpark\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MFly\" ClonedMorph=\" true \"/>"
        "</Particle></Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"PSpark\">"
        "<InitParticles>6</InitParticles></ParticleSystem></ParticleSystems></ParticleEffect>";
    auto positions = [&](uint32_t seed) {
        TRandom random(seed);
        TQelParticleEffect e;
        e.Random = &random;
        e.LoadFromText(xml);
        e.Start(10000);
        e.Validate();
        e.Tick(11000);
        std::vector<TQelVector> out;
        for (const auto& p : e.System(0)->Particles)
            out.push_back(p->Value(ppPosition));
        return out;
    };
    std::vector<TQelVector> a = positions(99), b = positions(99), c = positions(100);
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    std::set<float> xs;
    for (const TQelVector& v : a) {
        xs.insert(v.X);
        EXPECT_GE(v.X, 400 - 80);
        EXPECT_LE(v.X, 400 + 80);
        EXPECT_GE(v.Y, 300 - 120 + 100);
        EXPECT_LE(v.Y, 300 - 40 + 100);
    }
    EXPECT_EQ(xs.size(), 6u);
}

TEST(ParticleTemplates, InitMorphsSetPropertiesAtBirth)
{
    const std::string xml =
        "<ParticleEffect Name=\"efInit\"><Functions>"
        "<Function Name=\"FLine\" Dim=\"2\" Type=\"piecewise\"><Script>Set Linear; Path (0,0) (100,0);</Script></Function>"
        "</Functions><Morphs><Morph Name=\"MLine\" Dim=\"2\"><Functions><Function Name=\"FLine\" Clone=\"true\"/>"
        "</Functions></Morph></Morphs><Particles><Particle Name=\"P\">"
        "<Parameter Name=\"Position\" Dim=\"2\" Morph=\"MLine\" ClonedMorph=\"true\"><InitMorphs>"
        "<InitMorph Name=\"MLine\"><Property Name=\"Position\">(5,7)</Property><Property Name=\"StartTime\">T</Property>"
        "<Property Name=\"FLine.[2]\">(0,50)</Property></InitMorph>"
        "</InitMorphs></Parameter></Particle></Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\">"
        "<InitParticles>1</InitParticles></ParticleSystem></ParticleSystems></ParticleEffect>";
    TRandom random;
    TQelParticleEffect e;
    e.Random = &random;
    e.LoadFromText(xml);
    e.Start(3000);
    e.Validate();
    e.Tick(3500);
    EXPECT_EQ(e.System(0)->Particles[0]->Value(ppPosition), (TQelVector {5, 7 + 25, 0}));
    // The library morph itself was not touched.
    EXPECT_EQ(e.MorphByName("MLine")->Evaluate(3500), (TQelVector {50, 0, 0}));
}

TEST(ParticleEffectCopy, IsIndependentAndTakesItsOwnScript)
{
    TRandom random;
    TQelParticleEffect original;
    original.Random = &random;
    original.LoadFromText(EffectXml("<InitParticles>1</InitParticles>"));
    TQelParticleEffect copy;
    ASSERT_TRUE(copy.Assign(original));
    EXPECT_NE(copy.MorphByName("MPath")->Function(0), original.MorphByName("MPath")->Function(0));
    EXPECT_EQ(copy.MorphByName("MPath")->Function(0), copy.FunctionByName("FPath"));
    ASSERT_TRUE(copy.SetFunctionScript("FPath", "Set Linear; Path (0,0) (0,400); Ending Stop (0,400);"));
    EXPECT_FALSE(copy.SetFunctionScript("FNone", "Path (1,1) (2,2);"));
    copy.Start(0);
    copy.Validate();
    copy.Tick(500);
    EXPECT_EQ(copy.System(0)->Particles[0]->Value(ppPosition), (TQelVector {0, 200, 0}));
    original.Start(0);
    original.Validate();
    original.Tick(500);
    EXPECT_EQ(original.System(0)->Particles[0]->Value(ppPosition), (TQelVector {100, 0, 0}));

    TQelParticleEffect second;
    ASSERT_TRUE(second.Assign(copy));  // with particles
    ASSERT_EQ(second.System(0)->Count(), 1);
    EXPECT_EQ(second.System(0)->Particles[0]->Values[0].Morph, second.MorphByName("MPath"));
    EXPECT_EQ(second.System(0)->Template, second.TemplateByName("PDot"));
}

TEST(EffectFiles, ReadingErrors)
{
    const std::string where = "[TQelParticleEffect.AnalyzeXML]: ";
    const std::string tmpl = "[TQelParticleTemplate.AddParamTypeByTag]: ";
    auto body = [](const std::string& particles, const std::string& systems = "") {
        return "<ParticleEffect Name=\"efBad\"><Functions/><Morphs><Morph Name=\"M\" Dim=\"2\"/></Morphs><Particles>" +
            particles + "</Particles><ParticleSystems>" + systems + "</ParticleSystems></ParticleEffect>";
    };
    struct {
        std::string xml;
        std::string message;
    } cases[] = {
        {"<Effect Name=\"x\"/>", where + "Effect \"QelParticleEffect_Default\" XML description has no <ParticleEffect> tag"},
        {"<ParticleEffect/>", where + "Tag <ParticleEffect> has no \"Name\" attribute"},
        {"<ParticleEffect Name=\"efA\"><Morphs/></ParticleEffect>", where + "Effect \"efA\" XML description has no <Functions> tag"},
        {"<ParticleEffect Name=\"efA\"><Functions/><Particles/></ParticleEffect>",
            where + "Effect \"efA\" XML description has no <Morphs> tag"},
        {"<ParticleEffect Name=\"efA\"><Functions/><Morphs/></ParticleEffect>",
            where + "Effect \"efA\" XML description has no <Particles> tag"},
        {"<ParticleEffect Name=\"efA\"><Functions/><Morphs/><Particles/></ParticleEffect>",
            where + "Effect \"efA\" XML description has no <ParticleSystems> tag"},
        {body("<Particle/>"), "<Particle> tag has no \"Name\" attribute"},
        {body("<Particle Name=\"P\"><Param/></Particle>"), tmpl + "<Particle> tag contains invalid tag \"Param\""},
        {body("<Particle Name=\"P\"><Parameter Dim=\"1\"/></Particle>"), tmpl + "<Parameter> tag has no \"Name\" attribute"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\"/></Particle>"), tmpl + "<Parameter> tag has no \"Dim\" attribute"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\" Morph=\"MNone\"/></Particle>"),
            tmpl + "<Parameter> tag \"Morph\" attribute contains unknown Morph name \"MNone\""},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><Extra/></Parameter></Particle>"),
            tmpl + "<Parameter> tag contains invalid tag <Extra>"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><LiveValue>(0)(1)</LiveValue></Parameter></Particle>"),
            tmpl + "<LiveValue> tag value \"(0)(1)\" has invalid syntax"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><X/></InitMorphs></Parameter></Particle>"),
            tmpl + "<InitMorphs> tag contains invalid tag \"X\""},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><InitMorph/></InitMorphs></Parameter></Particle>"),
            tmpl + "<InitMorph> tag has no \"Name\" attribute"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><InitMorph Name=\"Q\"/></InitMorphs>"
              "</Parameter></Particle>"),
            tmpl + "<InitMorph> tag \"Name\" attribute contains unknown Morph name \"Q\""},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><InitMorph Name=\"M\"><Y/></InitMorph>"
              "</InitMorphs></Parameter></Particle>"),
            tmpl + "<InitMorph> tag contains invalid tag <Y>"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><InitMorph Name=\"M\">"
              "<Property Name=\"F.g1\">1</Property></InitMorph></InitMorphs></Parameter></Particle>"),
            tmpl + "<Property> tag \"Name\" attribute value \"F.g1\" contains unknown Function name"},
        {body("<Particle Name=\"P\"><Parameter Name=\"A\" Dim=\"1\"><InitMorphs><InitMorph Name=\"M\">"
              "<Property Name=\"Size\">1</Property></InitMorph></InitMorphs></Parameter></Particle>"),
            tmpl + "<Property> tag \"Name\" attribute has invalid value \"Size\""},
        {body("", "<ParticleSystem Template=\"P\"/>"), "<ParticleSystem> tag has no \"Name\" attribute"},
        {body("", "<ParticleSystem Name=\"S\"/>"), "<ParticleSystem> tag has no \"Template\" attribute"},
        {body("<Particle Name=\"P\"/>", "<ParticleSystem Name=\"S\" Template=\"P\"><ThrowInterval>soon</ThrowInterval>"
                                        "</ParticleSystem>"),
            "'soon' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        TQelParticleEffect e;
        try {
            e.LoadFromText(c.xml);
            ADD_FAILURE() << c.xml << " was accepted";
        } catch (const EQelFXError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.xml;
        }
    }
}

TEST(EffectFiles, MissingFileAndEmptyStream)
{
    TQelParticleEffect e;
    e.SetName("efGone");
    try {
        e.LoadFromFile("/nonexistent/efGone.xml");
        ADD_FAILURE();
    } catch (const EQelFXError& error) {
        EXPECT_STREQ(error.what(), "[TQelParticleEffect.LoadFromFile]: Invalid effect \"efGone\" XML file name "
                                   "\"/nonexistent/efGone.xml\"");
    }
    TMemoryStream empty;
    EXPECT_THROW(e.LoadFromStream(&empty), EQelFXError);
    EXPECT_THROW(e.LoadFromStream(nullptr), EQelFXError);
}

}  // namespace
