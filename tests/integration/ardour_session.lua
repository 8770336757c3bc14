-- ardour7-lua driver: two stereo tracks, each with the VST 2 plug-in named arg[2], roll arg[3]
-- seconds on the Dummy backend, save and close; the session lives in folder arg[1].
AudioEngine:set_backend("None (Dummy)", "", "")
local s = assert(create_session(arg[1] .. "/session", "session", 48000), "no session")
local tracks = s:new_audio_track(2, 2, nil, 2, "track", ARDOUR.PresentationInfo.max_order,
    ARDOUR.TrackMode.Normal, true)
for track in tracks:iter() do
    local plugin = ARDOUR.LuaAPI.new_plugin(s, arg[2], ARDOUR.PluginType.LXVST, "")
    assert(not plugin:isnil(), "no plug-in " .. arg[2])
    assert(track:add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
end
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(math.floor(arg[3] * 1000000))
print("rolled to sample " .. s:transport_sample())
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)
s:save_state("", false, false, false, false, false)
-- Lua's hold on tracks and plug-ins goes before the session does: a track it frees after
-- close_session() is destroyed after its engine, which crashes Ardour.
tracks = nil
collectgarbage()
close_session()
print("closed")
